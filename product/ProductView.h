// Product selection: the current product, its parameter text, table and index, its external
// parameters and its platform summary.
#pragma once

#include "platform/ComPtr.h"
#include "ParamTable.h"
#include "Pidx.h"
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

// cmbProductsChange: makes the product at `position` of the library current and rebuilds the view.
// A negative position (nothing selected) does nothing. Without a library it raises ComError
// (E_POINTER_, "No product library is open") and changes nothing. Platform failures propagate as
// ComError; what was written before them stays.
void selectProduct(int position, const vk::ComPtr<talvo::ILibrary>& m_lib, vk::ComPtr<talvo::IProduct>& m_prod,
                   ParamTable& cds_, PidxTable& pidx, const ProductView& view);

// FillParameters: the rebuild for m_prod (text, table, index, platform summary, external list).
void fillParameters(const vk::ComPtr<talvo::ILibrary>& m_lib, const vk::ComPtr<talvo::IProduct>& m_prod,
                    ParamTable& cds_, PidxTable& pidx, const ProductView& view);

// IdentifyPlatform: the platform summary of m_prod (version, chip text, hybrid, frequency, limits).
void identifyPlatform(const vk::ComPtr<talvo::ILibrary>& m_lib, const vk::ComPtr<talvo::IProduct>& m_prod,
                      const ProductView& view);

} // namespace product
