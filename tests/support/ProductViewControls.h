// The main window's product controls, made as children of a stand-in window, for tests and
// benchmarks of product selection. Header-only; needs the `product` target.
#pragma once

#include "product/ProductView.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace simtest {

// Fills every control of the view; the window owns them. The labels start with the main window's
// own captions.
inline void makeProductControls(product::ProductView& view, QWidget& window) {
    view.lbl_ProdID = new QLabel(QStringLiteral("ProductID"), &window);
    view.lstParameters = new QPlainTextEdit(&window);
    view.memo2 = new QPlainTextEdit(&window);
    view.tVersion = new QLabel(&window);
    view.tHybrid = new QLineEdit(&window);
    view.lbl_Hybrid = new QLabel(QStringLiteral("HYBRID"), &window);
    view.tSampFreq = new QLabel(&window);
    view.tMaxGain = new QLineEdit(&window);
    view.tMaxOutput = new QLineEdit(&window);
}

} // namespace simtest
