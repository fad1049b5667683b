// Pidx: from a parameter's identifier (0 to 1024) to its position in the product's internal
// parameters, as the variant the platform takes as an index.
#pragma once

#include "platform/vkcom.h"

#include <array>
#include <cstdint>

namespace product {

class PidxTable {
public:
    static constexpr int Size = 1025;

    // Writes the position as a 32-bit integer variant; identifiers outside 0..1024 have no cell.
    void set(int32_t paramId, int32_t position);
    // The cell, empty until written; nullptr outside 0..1024.
    const vk::VariantHolder* cell(int32_t paramId) const;
    vk::VariantHolder* cell(int32_t paramId);
    // The position held for the identifier, or -1 when the cell is missing or empty.
    int32_t position(int32_t paramId) const;

    static bool inRange(int32_t paramId) { return paramId >= 0 && paramId < Size; }

private:
    std::array<vk::VariantHolder, Size> m_cells;
};

// The program's one index. It is never emptied: a product writes only the cells of its own identifiers.
extern PidxTable Pidx;

} // namespace product
