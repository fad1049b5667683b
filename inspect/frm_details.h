// The details window of one parameter, and the hand-over record SelectedParameter that the grid's
// double click fills and every details window reads.
#pragma once

#include "platform/ComPtr.h"
#include "platform/talvo.h"

#include <QString>
#include <QWidget>

#include <cstdint>

class QLineEdit;
class QListView;

namespace product {
class ParamTable;
class PidxTable;
} // namespace product

namespace inspect {

class EffectLabel;
class EntryListModel;

// What the grid's most recent double click handed over. Detail is that of the most recent lookup
// that succeeded.
struct TSelectedParameter {
    QString ParameterName;
    QString MapName;
    int32_t ParamID = 0;
    vk::ComPtr<talvo::IParameterDetail> Detail;
};
extern TSelectedParameter SelectedParameter;

// One parameter's type, range, default, units and valid values, built once while it is created.
// Windows have no owner: closing one hides it, and all of them live until the application ends.
class Tfrm_details_ final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tfrm_details_)

public:
    static constexpr int kClientWidth = 346;
    static constexpr int kClientHeight = 444;
    // Value entries listed at most; a longer range ends with one entry counting the rest.
    static constexpr int64_t kMaxValueEntries = 65536;

    // Builds the texts from SelectedParameter; a failing platform call stops the build and is
    // reported in the error box, the window keeping what was built before it.
    explicit Tfrm_details_(QWidget* centreOver = nullptr);
    ~Tfrm_details_() override;

    void lbl_mapDblClick();
    void lbl_detailsClick();

    EffectLabel* lbl_map = nullptr;
    EffectLabel* lbl_details = nullptr;
    // Read-only list over the window's own entries (see EntryListModel).
    QListView* ListBox1 = nullptr;

    // The details windows alive now, oldest first.
    static const QList<Tfrm_details_*>& all();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();

    EntryListModel* m_entries = nullptr;
};

// The most recently created details window; earlier ones are not tracked here.
extern Tfrm_details_* frm_details_;

// The program's end for the details windows: frees every one of them and releases the last
// hand-over, SelectedParameter and its Detail included.
void freeDetailsWindows();

// The grid's double click: hands the current row's parameter over and opens a details window on it,
// captioned with the library name field's text (ed_). Does nothing without a current product or on
// an empty table.
void DBGrid1DblClick(const vk::ComPtr<talvo::IProduct>& currentProduct, const product::ParamTable& table,
                     const product::PidxTable& pidx, const QLineEdit* libraryName, QWidget* mainWindow);

} // namespace inspect
