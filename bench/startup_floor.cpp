// The floor of the start-up benchmark: a bare Qt program that shows a window of the main window's
// size with one combo box holding the large catalogue's 4,000 list entries, sorted with a
// case-insensitive collator, and reports its first painting as the tool's probe does.
#include "GeneratedCatalogue.h"
#include "StartupWatch.h"

#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QStringList>
#include <QWidget>

#include <algorithm>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    startup::FirstPaintWatch watch([&] { return &window; }, [](QWidget*) { return QStringLiteral("ok"); });
    app.installEventFilter(&watch);

    // The size the main window has when it is first painted (its panel closed).
    window.resize(621, 655);
    auto* list = new QComboBox(&window);
    list->setGeometry(8, 163, 305, 22);
    QStringList items;
    for (const startup::GeneratedLibrary& lib : startup::generatedLibraries(4000))
        items << QString::fromStdString(lib.listText());
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(items.begin(), items.end(), collator);
    list->addItems(items);
    list->setCurrentIndex(0);
    window.show();
    return QApplication::exec();
}
