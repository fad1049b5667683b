#include "Pidx.h"

namespace product {

PidxTable Pidx;

void PidxTable::set(int32_t paramId, int32_t position) {
    if (!inRange(paramId))
        return;
    m_cells[static_cast<size_t>(paramId)] = vk::VariantHolder::fromInt(position);
}

const vk::VariantHolder* PidxTable::cell(int32_t paramId) const {
    return inRange(paramId) ? &m_cells[static_cast<size_t>(paramId)] : nullptr;
}

vk::VariantHolder* PidxTable::cell(int32_t paramId) {
    return inRange(paramId) ? &m_cells[static_cast<size_t>(paramId)] : nullptr;
}

int32_t PidxTable::position(int32_t paramId) const {
    const vk::VariantHolder* c = cell(paramId);
    if (!c || c->ref().vt != vk::VT_I4_)
        return -1;
    return c->ref().lVal;
}

} // namespace product
