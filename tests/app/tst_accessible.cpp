// What assistive tools read of the two windows: every control has a role, and every control that
// shows text reports that text, the details window's effect labels included.
#include "WindowFixture.h"
#include "app/SkinManager.h"
#include "app/Tmainfrm.h"
#include "inspect/EffectLabel.h"
#include "inspect/frm_details.h"
#include "platform/vkcom.h"
#include "tests/support/SimRegistration.h"
#include "ui/Dialogs.h"

#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QListView>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QtTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Line breaks however written (CR LF, LF CR, CR, LF, paragraph separators) as one LF each.
QString unifyBreaks(QString s) {
    static const QRegularExpression breaks(u"\r\n|\n\r|\r|\n|\u2029"_s);
    return s.replace(breaks, u"\n"_s);
}

// The text a control shows, if it shows one as a whole.
std::optional<QString> shownText(QWidget* w) {
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* box = qobject_cast<QPlainTextEdit*>(w))
        return box->toPlainText();
    // Labels, fields, buttons and effect labels carry it as their text property.
    const QVariant text = w->property("text");
    if (text.isValid() && !text.toString().isEmpty())
        return text.toString();
    return std::nullopt;
}

// Everything the control's interface reports as its text.
QStringList reported(QAccessibleInterface* iface) {
    QStringList out{iface->text(QAccessible::Name), iface->text(QAccessible::Value)};
    if (QAccessibleTextInterface* t = iface->textInterface())
        out << t->text(0, t->characterCount());
    for (QString& s : out)
        s = unifyBreaks(s);
    return out;
}

// The named controls of a window, without the toolkit's own parts.
QList<QWidget*> controlsOf(QWidget* window) {
    QList<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"_s))
            out << w;
    return out;
}

} // namespace

class TestAccessible : public QObject {
    Q_OBJECT

    std::unique_ptr<simtest::RunningPlatform> m_platform;
    std::unique_ptr<Tmainfrm> m_w;

    QWidget* window(const QString& which) const {
        return which == u"main"_s ? static_cast<QWidget*>(m_w.get()) : inspect::frm_details_;
    }

private slots:
    // One main window on a small catalogue, and the details window of its first parameter.
    void initTestCase() {
        vk::coInitialize();
        SkinManager::suppressAnimations(true);
        Tmainfrm::setSlidePause(0);
        dialogs::testing::enable();
        m_platform = std::make_unique<simtest::RunningPlatform>(apptest::smallCatalogue());
        m_w = std::make_unique<Tmainfrm>();
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w.get()));
        QCOMPARE(m_w->cmbProducts()->count(), 1);
        emit m_w->DBGrid1()->doubleClicked(m_w->DBGrid1()->model()->index(0, 0));
        QVERIFY(inspect::frm_details_);
        QCOMPARE(dialogs::testing::texts(), std::vector<QString>{});
    }
    void cleanupTestCase() {
        m_w.reset();
        m_platform.reset();
        dialogs::testing::disable();
    }

    void everyControl_data() {
        QTest::addColumn<QString>("which");
        QTest::newRow("main window") << u"main"_s;
        QTest::newRow("details window") << u"details"_s;
    }
    // Each control has a role; each that shows a text reports it, as its name or its value.
    void everyControl() {
        QFETCH(QString, which);
        const QList<QWidget*> controls = controlsOf(window(which));
        QVERIFY(controls.size() >= (which == u"main"_s ? 28 : 3));
        int withText = 0;
        for (QWidget* w : controls) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(iface, qPrintable(w->objectName()));
            QVERIFY2(iface->role() != QAccessible::NoRole, qPrintable(w->objectName()));
            const std::optional<QString> text = shownText(w);
            if (!text || text->isEmpty())
                continue;
            ++withText;
            QVERIFY2(reported(iface).contains(unifyBreaks(*text)),
                     qPrintable(w->objectName() + u": "_s + reported(iface).join(u" | "_s)));
        }
        QVERIFY(withText >= (which == u"main"_s ? 24 : 2));
    }

    // Controls as assistive tools read them, texts written out in full.
    void controlTexts_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("text");
        const int label = QAccessible::StaticText;
        QTest::newRow("map label") << u"details"_s << u"lbl_map"_s << label << u"Map : MAP_P1"_s;
        QTest::newRow("details label")
            << u"details"_s << u"lbl_details"_s << label
            << u"Volume Parameter Details\n\nParamID = 3\nType = fData\nMIN = 0dB\n"
               "MAX = 10dB\nDefault Value = 5 dB"_s;
        QTest::newRow("library title") << u"main"_s << u"Label9"_s << label << u"LibraryTitle:"_s;
        QTest::newRow("product position") << u"main"_s << u"lbl_ProdID"_s << label << u"ProductID: 0"_s;
        QTest::newRow("link") << u"main"_s << u"Label11"_s << label << u"mirel.example"_s;
        QTest::newRow("slide button")
            << u"main"_s << u"Button2"_s << int(QAccessible::Button) << u"Show Data as CSV ----->"_s;
        QTest::newRow("library name")
            << u"main"_s << u"ed_"_s << int(QAccessible::EditableText) << u"Demo Library"_s;
        QTest::newRow("external parameters")
            << u"main"_s << u"memo2"_s << int(QAccessible::EditableText) << u"0,Ext A\n1,Ext B"_s;
    }
    void controlTexts() {
        QFETCH(QString, which);
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, text);
        QWidget* w = window(which)->findChild<QWidget*>(control);
        QVERIFY(w);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY(iface);
        QCOMPARE(int(iface->role()), role);
        QVERIFY2(reported(iface).contains(text), qPrintable(reported(iface).join(u" | "_s)));
    }

    // The grid and the list report their cells and entries.
    void gridAndListEntries() {
        QTableView* grid = m_w->DBGrid1();
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
        QCOMPARE(table->role(), QAccessible::Table);
        QAccessibleTableInterface* cells = table->tableInterface();
        QVERIFY(cells);
        QCOMPARE(cells->rowCount(), 2);
        QCOMPARE(cells->columnDescription(1), u"Param Name"_s);
        QCOMPARE(cells->columnDescription(2), u"ParamID"_s);
        QCOMPARE(cells->cellAt(1, 1)->text(QAccessible::Name), u"Mode"_s);
        QCOMPARE(cells->cellAt(1, 2)->text(QAccessible::Name), u"4"_s);

        QListView* list = inspect::frm_details_->ListBox1;
        QAccessibleInterface* entries = QAccessible::queryAccessibleInterface(list);
        QCOMPARE(entries->role(), QAccessible::List);
        QStringList names;
        for (int i = 0; i < entries->childCount(); ++i)
            names << entries->child(i)->text(QAccessible::Name);
        QCOMPARE(names, (QStringList{u"Valid Values..."_s, u"No List for this Parameter Type (fData)"_s}));
    }

    // The effect label's text is a property, as a label's is; setting it renames the label for
    // assistive tools at once, and an accessible name given explicitly wins.
    void effectLabelText() {
        inspect::EffectLabel label;
        QCOMPARE(label.metaObject()->property(label.metaObject()->indexOfProperty("text")).isWritable(),
                 true);
        QVERIFY(label.setProperty("text", u"Line one\n\rLine two"_s));
        QCOMPARE(label.text(), u"Line one\n\rLine two"_s);
        QCOMPARE(label.property("text").toString(), u"Line one\n\rLine two"_s);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&label);
        QCOMPARE(iface->role(), QAccessible::StaticText);
        QCOMPARE(iface->text(QAccessible::Name), u"Line one\nLine two"_s);
        label.setText(u"Other"_s);
        QCOMPARE(iface->text(QAccessible::Name), u"Other"_s);
        label.setAccessibleName(u"Named"_s);
        QCOMPARE(iface->text(QAccessible::Name), u"Named"_s);
    }
};

QTEST_MAIN(TestAccessible)
#include "tst_accessible.moc"
