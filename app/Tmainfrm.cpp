#include "Tmainfrm.h"

#include "Anchors.h"
#include "FileVersion.h"
#include "SkinManager.h"
#include "SkinProvider.h"
#include "SmoothScroll.h"
#include "TSplash.h"
#include "platform/TCore2.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"

#include "catalogue/LibraryCatalogue.h"
#include "inspect/ParameterGrid.h"
#include "inspect/frm_details.h"
#include "product/ParamTable.h"
#include "product/Pidx.h"
#include "product/ProductView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWindow>

Tmainfrm* mainfrm = nullptr;

namespace {

Tmainfrm::CoreFactory& coreFactory() {
    static Tmainfrm::CoreFactory factory;
    return factory;
}

int slidePauseMs = 20;

Tmainfrm::FrameReader& frameReader() {
    static Tmainfrm::FrameReader reader;
    return reader;
}

// How long the first showing waits, once the window is on screen, for a frame that a window
// manager would have put around it by then; without a window manager none comes.
constexpr int NoFrameWaitMs = 250;
// A window that is never exposed (started minimised, say) is shown after this all the same.
constexpr int NeverExposedWaitMs = 2000;

const QString SkinSteam = QStringLiteral("Steam (internal)");
const QString SkinWlm = QStringLiteral("WLM (internal)");
const QString SkinPulsar = QStringLiteral("Pulsar (internal)");

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect box, const QFont& font,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(align);
    // No taller than its text: a label lies just above the field it names.
    if (box.height() <= 0)
        box.setHeight(QFontMetrics(font).height());
    if (box.width() <= 0)
        box.setWidth(QFontMetrics(font).horizontalAdvance(text) + 2);
    label->setGeometry(box);
    return label;
}

QLineEdit* makeEdit(QWidget* parent, const char* name, const QString& text, QRect box, const QFont& font) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setFont(font);
    edit->setGeometry(box);
    // A text longer than its box shows its start, as a field one reads from the left should.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { edit->setCursorPosition(0); });
    return edit;
}

QPlainTextEdit* makeTextBox(QWidget* parent, const char* name, const QString& text, QRect box) {
    auto* edit = new QPlainTextEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A line is one parameter: unwrapped, a slide or a frame drag need not lay a long name out
    // again at every width step (a platform text of 100,000 characters took seconds per step).
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setGeometry(box);
    return edit;
}

QComboBox* makeList(QWidget* parent, const char* name, QRect box, int visibleItems) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(false);
    combo->setMaxVisibleItems(visibleItems);
    combo->setGeometry(box);
    return combo;
}

} // namespace

void Tmainfrm::setCoreFactory(CoreFactory factory) {
    coreFactory() = std::move(factory);
}
void Tmainfrm::setSlidePause(int milliseconds) {
    slidePauseMs = std::max(0, milliseconds);
}
void Tmainfrm::setFrameReader(FrameReader reader) {
    frameReader() = std::move(reader);
}
int Tmainfrm::slidePause() {
    return slidePauseMs;
}

QString Tmainfrm::makerAddress() {
    return QStringLiteral("https://mirel.example/");
}

Tmainfrm::Tmainfrm(QWidget* parent) : QWidget(parent) {
    if (!mainfrm)
        mainfrm = this;
    setObjectName(QStringLiteral("mainfrm"));
    setWindowTitle(DesignCaption);
    setFont(vk::fonts::sansSerif(11));
    resize(LaidOutWidth, LaidOutHeight);

    // The controls lie on a form of the laid-out size that scrolls vertically when the window is
    // shorter; anchored controls follow the form's edges, never past its laid-out height.
    m_scroller = new QScrollArea(this);
    m_scroller->setObjectName(QStringLiteral("formScroller"));
    m_scroller->setFrameShape(QFrame::NoFrame);
    m_scroller->setFocusPolicy(Qt::NoFocus);
    m_scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroller->setWidgetResizable(true);
    m_scroller->setGeometry(rect());
    new vk::SmoothScroll(m_scroller->verticalScrollBar());
    m_form = new QWidget(m_scroller);
    m_form->setObjectName(QStringLiteral("form"));
    m_form->setMinimumHeight(LaidOutHeight);
    m_form->resize(LaidOutWidth, LaidOutHeight);
    buildControls();
    m_scroller->setWidget(m_form);
    m_form->installEventFilter(this);

    m_tmr_resizer = new QTimer(this);
    m_tmr_resizer->setObjectName(QStringLiteral("tmr_resizer"));
    m_tmr_resizer->setInterval(1000);
    connect(m_tmr_resizer, &QTimer::timeout, this,
            [this] { dialogs::guarded([this] { tmr_resizerTimer(); }); });

    m_frameWait = new QTimer(this);
    m_frameWait->setInterval(10);
    connect(m_frameWait, &QTimer::timeout, this, &Tmainfrm::awaitFrame);

    m_sknmgr1 = new SkinManager(this);
    m_sknmgr1->setObjectName(QStringLiteral("sknmgr1"));
    m_sknmgr1->setHueOffset(0);
    m_sknmgr1->setSaturation(0);
    m_sknmgr1->setSkinName(SkinPulsar);
    m_sSkinProvider1 = new SkinProvider(m_sknmgr1, m_form, this);
    m_sSkinProvider1->setObjectName(QStringLiteral("sSkinProvider1"));
    // Attached after the start skin, so the colour adjustment first runs on a skin change.
    connect(m_sknmgr1, &SkinManager::afterChange, this,
            [this] { dialogs::guarded([this] { sknMgr1AfterChange(); }); });

    dialogs::guarded([this] { FormCreate(); });

    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

Tmainfrm::~Tmainfrm() {
    dialogs::guarded([this] { FormDestroy(); });
    // The grid and its model refer to the table: they go first.
    delete m_grid;
    m_DBGrid1->setModel(nullptr);
    m_cds_.reset();
}

void Tmainfrm::buildControls() {
    QWidget* const form = m_form;
    const QFont base = font();
    QFont bold = base;
    bold.setBold(true);
    QFont heading = vk::fonts::comic(13);
    heading.setBold(true);
    QFont tiny = vk::fonts::sansSerif(6);
    QFont figures = vk::fonts::arial(13, true);
    QFont chip = vk::fonts::arial(12, true);
    chip.setBold(true);

    m_Image1 = new QLabel(form);
    m_Image1->setObjectName(QStringLiteral("Image1"));
    m_Image1->setGeometry(16, 8, 290, 131);
    m_Image1->setPixmap(QPixmap(QStringLiteral(":/veskor/veskor.jpg")));
    m_Image1->installEventFilter(this);

    makeLabel(form, "Label9", QStringLiteral("LibraryTitle:"), {9, 143, 0, 0}, heading);
    makeLabel(form, "tVersion", QStringLiteral("tVersion"), {94, 147, 100, 0}, tiny);
    // Right-aligned labels keep their right edge as their text changes.
    makeLabel(form, "tSampFreq", QStringLiteral("Sampling Freq"), {200, 147, 110, 0}, base,
              Qt::AlignRight | Qt::AlignVCenter);
    m_cmbLibraries = makeList(form, "cmbLibraries", {8, 163, 305, 22}, 50);

    makeLabel(form, "Label4", QStringLiteral("ManID"), {9, 188, 0, 0}, base);
    makeLabel(form, "Label3", QStringLiteral("LibID"), {89, 188, 0, 0}, base);
    makeLabel(form, "Label5", QStringLiteral("Lib Name"), {181, 188, 0, 0}, base);
    m_ed_manid = makeEdit(form, "ed_manid", {}, {8, 201, 57, 22}, base);
    m_ed_libid = makeEdit(form, "ed_libid", {}, {88, 201, 57, 22}, base);
    m_ed_ = makeEdit(form, "ed_", {}, {180, 201, 133, 22}, base);

    makeLabel(form, "Label10", QStringLiteral("Product"), {9, 230, 0, 0}, base);
    makeLabel(form, "lbl_ProdID", QStringLiteral("ProductID: XX"), {129, 230, 180, 0}, base,
              Qt::AlignRight | Qt::AlignVCenter);
    m_cmbProducts = makeList(form, "cmbProducts", {8, 243, 305, 22}, 30);

    makeLabel(form, "Label6", QStringLiteral("MAX OUTPUT"), {8, 269, 0, 0}, base);
    makeLabel(form, "Label7", QStringLiteral("MAX GAIN"), {96, 269, 0, 0}, base);
    makeLabel(form, "lbl_Hybrid", QStringLiteral("HYBRID"), {168, 269, 145, 0}, base);
    m_tMaxOutput = makeEdit(form, "tMaxOutput", QStringLiteral("MaxOutput"), {8, 283, 73, 24}, figures);
    m_tMaxGain = makeEdit(form, "tMaxGain", QStringLiteral("MaxGain"), {96, 283, 65, 24}, figures);
    m_tHybrid = makeEdit(form, "tHybrid", QStringLiteral("Hybrid"), {167, 283, 145, 23}, chip);

    makeLabel(form, "Label2", QStringLiteral("EXTParameters"), {9, 320, 0, 0}, bold);
    m_memo2 = makeTextBox(form, "memo2", QStringLiteral("memo2"), {8, 339, 305, 260});

    // Shows the very address it opens, less the scheme that would not fit at this size.
    m_Label11 = makeLabel(form, "Label11", QUrl(makerAddress()).host(), {16, 602, 284, 42},
                          vk::fonts::arial(37, true), Qt::AlignLeft | Qt::AlignVCenter);
    m_Label11->setForegroundRole(QPalette::Link);
    m_Label11->setCursor(Qt::PointingHandCursor);
    m_Label11->setToolTip(QStringLiteral("Visit Mirel on the web at ") + makerAddress());
    m_Label11->installEventFilter(this);

    makeLabel(form, "Label1", QStringLiteral("INTParameters"), {329, 6, 0, 0}, bold);
    m_DBGrid1 = new QTableView(form);
    m_DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_DBGrid1->setGeometry(324, 26, 276, 573);
    connect(m_DBGrid1, &QTableView::doubleClicked, this,
            [this] { dialogs::guarded([this] { DBGrid1DblClick(); }); });
    // The view reports a double click of any button; only the left one is the user's double click.
    m_DBGrid1->viewport()->installEventFilter(this);

    m_Button2 = new QPushButton(ShowCaption, form);
    m_Button2->setObjectName(QStringLiteral("Button2"));
    m_Button2->setGeometry(329, 609, 276, 33);
    m_Button2->setCursor(Qt::PointingHandCursor);
    connect(m_Button2, &QPushButton::clicked, this, [this] { dialogs::guarded([this] { Button2Click(); }); });

    // The laid-out box reaches 7 pixels past the client area; keep its right side (and its scroll
    // bar) inside the window.
    m_lstParameters = makeTextBox(form, "lstParameters", {}, {616, 24, LaidOutWidth - 8 - 616, 617});

    connect(m_cmbLibraries, &QComboBox::activated, this,
            [this] { dialogs::guarded([this] { cmbLibrariesChange(); }); });
    connect(m_cmbProducts, &QComboBox::activated, this,
            [this] { dialogs::guarded([this] { cmbProductsChange(); }); });

    m_anchors = std::make_unique<vk::Anchors>(form);
    m_anchors->add(m_Label11, vk::Anchors::Left | vk::Anchors::Bottom);
    m_anchors->add(m_DBGrid1, vk::Anchors::Left | vk::Anchors::Top | vk::Anchors::Bottom);
    m_anchors->add(m_Button2, vk::Anchors::Left | vk::Anchors::Bottom);
    m_anchors->add(m_lstParameters,
                   vk::Anchors::Left | vk::Anchors::Top | vk::Anchors::Right | vk::Anchors::Bottom);

    QWidget* order[] = {m_lstParameters, m_cmbLibraries, m_cmbProducts, m_DBGrid1, m_ed_,     m_ed_libid,
                        m_ed_manid,      m_tMaxGain,     m_tMaxOutput,  m_tHybrid, m_Button2, m_memo2};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

TSplash* Tmainfrm::splash() const {
    return Splash;
}

QMargins Tmainfrm::frame() const {
    const QMargins f = frameReader()    ? frameReader()(*this)
                       : windowHandle() ? windowHandle()->frameMargins()
                                        : QMargins();
    // While a window manager is still putting its frame together the window system can report
    // one from a frame window not yet sized: sides below zero. That frame is not known yet.
    if (f.left() < 0 || f.top() < 0 || f.right() < 0 || f.bottom() < 0)
        return {};
    return f;
}

int Tmainfrm::outerWidth() const {
    const QMargins f = frame();
    return width() + f.left() + f.right();
}

int Tmainfrm::outerHeight() const {
    const QMargins f = frame();
    return height() + f.top() + f.bottom();
}

void Tmainfrm::setOuterWidth(int width) {
    const QMargins f = frame();
    resize(width - f.left() - f.right(), height());
}

void Tmainfrm::setOuterHeight(int height) {
    const QMargins f = frame();
    resize(width(), height - f.top() - f.bottom());
}

// ---------------------------------------------------------------------------------------------
// Handlers

void Tmainfrm::FormCreate() {
    m_startingUp = true;

    if (!Splash)
        Splash = new TSplash;
    Splash->setProgress(0);
    Splash->centre();
    Splash->show();
    QCoreApplication::processEvents();

    setWindowTitle(windowTitle() + QStringLiteral(" Vers: ") + ReadFileVersion());

    try {
        m_core = coreFactory() ? coreFactory()() : std::make_unique<talvo::TCore2>();
    } catch (...) {
        m_core.reset();
    }
    if (!m_core) {
        dialogs::showMessage(QStringLiteral("Fatal Error in creating Talvo or Programmer."));
        // Without a connection there is no catalogue to read.
        return;
    }
    runCatalogueScan();
}

void Tmainfrm::runCatalogueScan() {
    catalogue::scanCatalogue(
        *m_core, {Splash->ProgressBar1(), Splash->Label1(), m_cmbLibraries},
        [this] { createParameterTable(); }, [this] { cmbLibrariesChange(); });
}

void Tmainfrm::createParameterTable() {
    m_cds_ = std::make_unique<product::ParamTable>();
    m_grid = new inspect::ParameterGrid(m_DBGrid1, m_cds_.get(), &m_startingUp, this);
}

product::ProductView Tmainfrm::productView() const {
    product::ProductView view;
    view.lbl_ProdID = findChild<QLabel*>(QStringLiteral("lbl_ProdID"));
    view.lstParameters = m_lstParameters;
    view.memo2 = m_memo2;
    view.tVersion = findChild<QLabel*>(QStringLiteral("tVersion"));
    view.tHybrid = m_tHybrid;
    view.lbl_Hybrid = findChild<QLabel*>(QStringLiteral("lbl_Hybrid"));
    view.tSampFreq = findChild<QLabel*>(QStringLiteral("tSampFreq"));
    view.tMaxGain = m_tMaxGain;
    view.tMaxOutput = m_tMaxOutput;
    return view;
}

QString Tmainfrm::ReadFileVersion() {
    return ReadFileVersion(vk::runningExecutable());
}

QString Tmainfrm::ReadFileVersion(const QString& executable) {
    const QByteArray info = vk::readVersionInfo(executable);
    if (info.isEmpty()) {
        dialogs::showMessage(QStringLiteral("No FileVersionInfo found"));
        return {};
    }
    return vk::queryVersionString(info, u"040904E4", u"FileVersion").value_or(QString());
}

void Tmainfrm::FormShow() {
    if (Splash)
        Splash->hide();
    m_tmr_resizer->start();
    Button2Click();
}

void Tmainfrm::FormResize() {
    if (outerHeight() <= LeastHeight)
        setOuterHeight(LeastHeight);
    if (outerWidth() <= ClosedWidth)
        setOuterWidth(ClosedWidth);
    const int width = outerWidth();
    if (width <= OffersShowUpTo)
        m_Button2->setText(ShowCaption);
    else if (width >= OffersHideFrom)
        m_Button2->setText(HideCaption);
}

void Tmainfrm::Button2Click() {
    setCursor(Qt::WaitCursor);
    const auto stepTo = [this](int width) {
        const int from = outerWidth();
        setOuterWidth(width);
        if (m_slideObserver)
            m_slideObserver(from, width);
        // Other handlers, a second click on Button2 included, may run here.
        QCoreApplication::processEvents();
    };
    if (outerWidth() > OffersShowUpTo) {
        for (;;) {
            const int w = outerWidth();
            const int step = (w - ClosedWidth) / 4;
            stepTo(w - (step == 0 ? 1 : step));
            if (outerWidth() <= ClosedWidth) {
                setOuterWidth(ClosedWidth);
                break;
            }
            if (slidePauseMs > 0)
                QThread::msleep(ulong(slidePauseMs));
        }
        m_Button2->setText(ShowCaption);
    } else {
        for (;;) {
            const int w = outerWidth();
            const int step = (OpenWidth - w) / 4;
            stepTo(w + (step == 0 ? 1 : step));
            if (outerWidth() >= OpenWidth) {
                setOuterWidth(OpenWidth);
                break;
            }
            if (slidePauseMs > 0)
                QThread::msleep(ulong(slidePauseMs));
        }
        m_Button2->setText(HideCaption);
    }
    unsetCursor();
}

void Tmainfrm::Image1DblClick() {
    const QString name = m_sknmgr1->skinName();
    if (name == SkinPulsar)
        m_sknmgr1->setSkinName(SkinWlm);
    else if (name == SkinWlm)
        m_sknmgr1->setSkinName(SkinSteam);
    else if (name == SkinSteam)
        m_sknmgr1->setSkinName(SkinPulsar);
}

void Tmainfrm::sknMgr1AfterChange() {
    const QString name = m_sknmgr1->skinName();
    int hue, saturation;
    if (name == SkinWlm)
        hue = 270, saturation = -35;
    else if (name == SkinSteam)
        hue = 0, saturation = 0;
    else if (name == SkinPulsar)
        hue = 270, saturation = -35;
    else
        return;
    m_sknmgr1->setAnimated(false);
    m_sknmgr1->setHueOffset(hue);
    m_sknmgr1->setSaturation(saturation);
    m_sknmgr1->setAnimated(true);
}

void Tmainfrm::Label11Click() {
    // Whether a browser opened is not reported.
    QDesktopServices::openUrl(QUrl(makerAddress()));
}

void Tmainfrm::tmr_resizerTimer() {
    m_startingUp = false;
    m_tmr_resizer->stop();
}

void Tmainfrm::FormClose(QCloseEvent* event) {
    // Closing frees the window; the program ends with it.
    setAttribute(Qt::WA_DeleteOnClose);
    event->accept();
}

void Tmainfrm::FormDestroy() {
    if (mainfrm == this)
        mainfrm = nullptr;
}

void Tmainfrm::cmbLibrariesChange() {
    if (!m_core)
        return;
    catalogue::selectLibrary(*m_core, m_lib, {m_cmbLibraries, m_ed_libid, m_ed_manid, m_ed_, m_cmbProducts},
                             [this] { cmbProductsChange(); });
}

void Tmainfrm::cmbProductsChange() {
    if (!m_cds_)
        return;
    if (product::selectProduct(m_cmbProducts->currentIndex(), m_lib, m_prod, productView()))
        FillParameters();
}

void Tmainfrm::FillParameters() {
    if (!m_cds_)
        return;
    product::fillParameters(m_lib, m_prod, *m_cds_, product::Pidx, productView());
}

void Tmainfrm::DBGrid1DblClick() {
    if (!m_cds_)
        return;
    inspect::DBGrid1DblClick(m_prod, *m_cds_, product::Pidx, m_ed_, this);
}

// ---------------------------------------------------------------------------------------------
// Events

// The slide of the first showing works on the outer width, so it waits until the window is on
// screen and framed: a window manager frames the window only after it was asked to show it, and a
// slide run before that would leave the window its frame's width too wide, offering to show the
// text while the first click closes. Where the frame is known at once, the slide runs at once.
void Tmainfrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window restored by the window manager is not being shown anew.
    if (event->spontaneous())
        return;
    m_lastFrame = frame();
    if (!m_lastFrame.isNull()) {
        dialogs::guarded([this] { FormShow(); });
        return;
    }
    m_shownFor.start();
    m_exposedFor.invalidate();
    m_frameWait->start();
}

void Tmainfrm::awaitFrame() {
    const bool exposed = windowHandle() && windowHandle()->isExposed();
    if (exposed && !m_exposedFor.isValid())
        m_exposedFor.start();
    const bool framed = !frame().isNull();
    if (!(exposed && framed) && !(m_exposedFor.isValid() && m_exposedFor.elapsed() >= NoFrameWaitMs) &&
        m_shownFor.elapsed() < NeverExposedWaitMs)
        return;
    m_frameWait->stop();
    m_lastFrame = frame();
    dialogs::guarded([this] { FormShow(); });
}

// A frame that comes, goes or changes changes the outer size as a resize would.
void Tmainfrm::frameChanged() {
    // The first showing is still waiting for the frame and will take it as it settles.
    if (m_frameWait->isActive())
        return;
    const QMargins now = frame();
    if (now == m_lastFrame)
        return;
    m_lastFrame = now;
    dialogs::guarded([this] { FormResize(); });
}

void Tmainfrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_scroller)
        m_scroller->setGeometry(rect());
    m_lastFrame = frame();
    dialogs::guarded([this] { FormResize(); });
}

void Tmainfrm::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // Framing moves the client area within the frame; that is where a new frame shows.
    frameChanged();
}

void Tmainfrm::closeEvent(QCloseEvent* event) {
    dialogs::guarded([this, event] { FormClose(event); });
}

bool Tmainfrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_form && event->type() == QEvent::Resize) {
        m_anchors->apply();
        return false;
    }
    const auto button = [event] { return static_cast<QMouseEvent*>(event)->button(); };
    if (watched == m_Image1 && event->type() == QEvent::MouseButtonDblClick) {
        if (button() == Qt::LeftButton)
            dialogs::guarded([this] { Image1DblClick(); });
        return true;
    }
    if (watched == m_Label11 && event->type() == QEvent::MouseButtonRelease && button() == Qt::LeftButton &&
        m_Label11->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        dialogs::guarded([this] { Label11Click(); });
        return true;
    }
    if (watched == m_DBGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        button() != Qt::LeftButton)
        return true;
    return QWidget::eventFilter(watched, event);
}
