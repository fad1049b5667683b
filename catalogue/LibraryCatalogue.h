// The start-up scan of the platform's library catalogue, the sorted library list it fills, and the
// selection (and unlocking) of the library picked in that list.
#pragma once

#include "platform/ComPtr.h"
#include "platform/TCore2.h"
#include "platform/talvo.h"

#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace catalogue {

// The splash window's gauge and status line, and the library list the scan fills.
struct ScanView {
    QProgressBar* ProgressBar1;
    QLabel* Label1;
    QComboBox* cmbLibraries;
};

// Scans the catalogue in three passes (range, duplicates, list) and fills cmbLibraries.
// createParameterTable runs between the duplicate pass and the list pass; cmbLibrariesChange is
// called once at the end, also for an empty list. Platform errors outside the guarded openings
// propagate; the list then keeps what was added so far, with nothing selected.
void scanCatalogue(talvo::TCore2& core, const ScanView& view,
                   const std::function<void()>& createParameterTable,
                   const std::function<void()>& cmbLibrariesChange);

// The gauge for step i of a pass over m entries: i * 100 / (m - 1), an exact half rounded to the
// even neighbour. A single entry shows 100.
int gaugeValue(int i, int m);

// Inserts item at its place in the list's order: whole texts compared case-insensitively in the
// user's collation; an item equal to others goes after them.
void addSorted(QComboBox* list, const QString& item);
// The same for several items, added in their order (one fill of the list).
void addSorted(QComboBox* list, const QStringList& items);

// The catalogue key of a library list item: the text after its first " - ", at most 100 UTF-16
// code units (never half a surrogate pair).
QString libraryKey(const QString& item);

// The controls a library selection writes.
struct LibraryView {
    QComboBox* cmbLibraries;
    QLineEdit* ed_libid;
    QLineEdit* ed_manid;
    QLineEdit* ed_;
    QComboBox* cmbProducts;
};

// The change handler of the library list: opens the selected library into `library`, asks for the
// password of a locked one, fills the identifier and name fields and the product list, selects its
// first product and calls cmbProductsChange. Stops early (without undoing) on Cancel, a failed
// unlock, a missing library object or a failing platform call (which propagates).
void selectLibrary(talvo::TCore2& core, vk::ComPtr<talvo::ILibrary>& library, const LibraryView& view,
                   const std::function<void()>& cmbProductsChange);

} // namespace catalogue
