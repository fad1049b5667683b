// Product selection: the current product, its parameter text, table and index, its external
// parameters and its platform summary.
#pragma once

#include "ParamTable.h"
#include "Pidx.h"
#include "platform/ComPtr.h"
#include "platform/talvo.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace product {

// The main window's controls that a product selection writes.
struct ProductView {
    QLabel* lbl_ProdID = nullptr;
    QPlainTextEdit* lstParameters = nullptr;
    QPlainTextEdit* memo2 = nullptr;
    QLabel* tVersion = nullptr;
    QLineEdit* tHybrid = nullptr;
    QLabel* lbl_Hybrid = nullptr;
    QLabel* tSampFreq = nullptr;
    QLineEdit* tMaxGain = nullptr;
    QLineEdit* tMaxOutput = nullptr;
};

// The first half of cmbProductsChange: makes the product at `position` of the library the current
// one and shows its position. False, and nothing changed, for a negative position (nothing
// selected); the rebuild (fillParameters) follows only a true answer. Without a library it raises
// ComError (E_POINTER_, "No product library is open") and changes nothing. Platform failures
// propagate as ComError.
bool selectProduct(int position, const vk::ComPtr<talvo::ILibrary>& library,
                   vk::ComPtr<talvo::IProduct>& product, const ProductView& view);

// FillParameters: the rebuild for the current product (text, table, index, platform summary,
// external list). Platform failures propagate as ComError; what was written before them stays.
void fillParameters(const vk::ComPtr<talvo::ILibrary>& library, const vk::ComPtr<talvo::IProduct>& product,
                    ParamTable& table, PidxTable& pidx, const ProductView& view);

// IdentifyPlatform: the product's platform summary (version, chip text, hybrid, frequency, limits).
void identifyPlatform(const vk::ComPtr<talvo::ILibrary>& library, const vk::ComPtr<talvo::IProduct>& product,
                      const ProductView& view);

} // namespace product
