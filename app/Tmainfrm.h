// The tool's one working window: library and product lists, identifier and platform fields,
// the parameter grid, the text areas and the sliding panel. Its handlers only wire; what the
// lists, fields and grid show is filled by the catalogue, product and inspection code.
#pragma once

#include "platform/ComPtr.h"
#include "platform/talvo.h"

#include <QElapsedTimer>
#include <QMargins>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTableView;
class QTimer;
class SkinManager;
class SkinProvider;
class TSplash;

namespace talvo {
class TCore2;
}

namespace vk {
class Anchors;
}

namespace product {
class ParamTable;
struct ProductView;
} // namespace product

namespace inspect {
class ParameterGrid;
}

class Tmainfrm final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tmainfrm)

public:
    // Makes the connection component; tests replace it to fail or to count.
    using CoreFactory = std::function<std::unique_ptr<talvo::TCore2>()>;
    static void setCoreFactory(CoreFactory factory);
    // The pause between slide steps in milliseconds (tests use 0).
    static void setSlidePause(int milliseconds);
    static int slidePause();
    // Where the window's frame margins are read from; by default the window system (tests stand in
    // for a window manager that frames late or never).
    using FrameReader = std::function<QMargins(const Tmainfrm&)>;
    static void setFrameReader(FrameReader reader);

    explicit Tmainfrm(QWidget* parent = nullptr);
    ~Tmainfrm() override;

    // Size limits, caption hysteresis and slide geometry work on outer sizes, frame included.
    static constexpr int LeastHeight = 550;
    static constexpr int ClosedWidth = 625;
    static constexpr int OpenWidth = 910;
    static constexpr int OffersShowUpTo = 626;
    static constexpr int OffersHideFrom = 630;
    // The client area as laid out; a shorter window scrolls it.
    static constexpr int LaidOutWidth = 842;
    static constexpr int LaidOutHeight = 655;
    static inline const QString DesignCaption =
        QStringLiteral("Int&Ext Parameters for Mirel Product Libraries :: ");
    static inline const QString ShowCaption = QStringLiteral("Show Data as CSV ----->");
    static inline const QString HideCaption = QStringLiteral("<----- Hide CSV Data");

    int outerWidth() const;
    int outerHeight() const;
    void setOuterWidth(int width);
    void setOuterHeight(int height);
    // The frame around the client area as the window system reports it; empty until a window
    // manager has framed the window (and always without one).
    QMargins frame() const;

    bool StartingUp() const { return m_startingUp; }
    talvo::TCore2* core() const { return m_core.get(); }
    TSplash* splash() const;
    SkinManager* skinManager() const { return m_sknmgr1; }
    SkinProvider* skinProvider() const { return m_sSkinProvider1; }
    QTimer* resizer() const { return m_tmr_resizer; }

    // The current library and product; empty until a selection sets them.
    const vk::ComPtr<talvo::ILibrary>& currentLibrary() const { return m_lib; }
    const vk::ComPtr<talvo::IProduct>& currentProduct() const { return m_prod; }
    // The parameter table; created by the catalogue scan, null before.
    product::ParamTable* cds_() const { return m_cds_.get(); }
    inspect::ParameterGrid* grid() const { return m_grid; }

    QComboBox* cmbLibraries() const { return m_cmbLibraries; }
    QComboBox* cmbProducts() const { return m_cmbProducts; }
    QTableView* DBGrid1() const { return m_DBGrid1; }
    QPushButton* Button2() const { return m_Button2; }
    QPlainTextEdit* memo2() const { return m_memo2; }
    QPlainTextEdit* lstParameters() const { return m_lstParameters; }
    // The laid-out client area that holds the controls, and the area that scrolls it.
    QWidget* form() const { return m_form; }
    QScrollArea* formScroller() const { return m_scroller; }

    // The file version text of the running executable, or empty.
    QString ReadFileVersion();
    // The same for another executable (tests point it at altered copies).
    QString ReadFileVersion(const QString& executable);

    // Called at each width step of a slide, with the outer width before and after the step.
    void setSlideObserver(std::function<void(int from, int to)> observer) {
        m_slideObserver = std::move(observer);
    }

    static QString makerAddress();

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormResize();
    void Button2Click();
    void Image1DblClick();
    void sknMgr1AfterChange();
    void Label11Click();
    void tmr_resizerTimer();
    void FormDestroy();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void awaitFrame();
    void frameChanged();
    void FormClose(QCloseEvent* event);
    void runCatalogueScan();
    void createParameterTable();
    product::ProductView productView() const;
    void cmbLibrariesChange();
    void cmbProductsChange();
    void FillParameters();
    void DBGrid1DblClick();

    bool m_startingUp = false;
    std::unique_ptr<talvo::TCore2> m_core;
    vk::ComPtr<talvo::ILibrary> m_lib;
    vk::ComPtr<talvo::IProduct> m_prod;
    std::unique_ptr<product::ParamTable> m_cds_;
    inspect::ParameterGrid* m_grid = nullptr;
    std::unique_ptr<vk::Anchors> m_anchors;
    std::function<void(int, int)> m_slideObserver;

    SkinManager* m_sknmgr1 = nullptr;
    SkinProvider* m_sSkinProvider1 = nullptr;
    QTimer* m_tmr_resizer = nullptr;

    // The first showing waits for the window manager's frame (see showEvent).
    QTimer* m_frameWait = nullptr;
    QElapsedTimer m_shownFor;
    QElapsedTimer m_exposedFor;
    QMargins m_lastFrame;

    QScrollArea* m_scroller = nullptr;
    QWidget* m_form = nullptr;
    QLabel* m_Image1 = nullptr;
    QComboBox* m_cmbLibraries = nullptr;
    QComboBox* m_cmbProducts = nullptr;
    QLineEdit* m_ed_manid = nullptr;
    QLineEdit* m_ed_libid = nullptr;
    QLineEdit* m_ed_ = nullptr;
    QLineEdit* m_tMaxOutput = nullptr;
    QLineEdit* m_tMaxGain = nullptr;
    QLineEdit* m_tHybrid = nullptr;
    QPlainTextEdit* m_memo2 = nullptr;
    QLabel* m_Label11 = nullptr;
    QTableView* m_DBGrid1 = nullptr;
    QPushButton* m_Button2 = nullptr;
    QPlainTextEdit* m_lstParameters = nullptr;
};

// The application's main window while it exists.
extern Tmainfrm* mainfrm;
