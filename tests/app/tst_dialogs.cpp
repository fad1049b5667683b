#include "platform/ComError.h"
#include "platform/TCore2.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace dialogs;
using namespace Qt::StringLiterals;

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::enable(); }
    void cleanup() { testing::disable(); }

    void fullStopRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << u"Access denied"_s << u"Access denied."_s;
        QTest::newRow("digit") << u"line 3980"_s << u"line 3980."_s;
        QTest::newRow("brace") << u"ClassID: {4689781D}"_s << u"ClassID: {4689781D}."_s;
        QTest::newRow("slash, just above") << u"a/"_s << u"a/."_s;
        QTest::newRow("full stop") << u"Done."_s << u"Done."_s;
        QTest::newRow("bang") << u"Failed!"_s << u"Failed!"_s;
        QTest::newRow("paren") << u"(none)"_s << u"(none)"_s;
        QTest::newRow("hyphen, just below") << u"a-"_s << u"a-"_s;
        QTest::newRow("blank") << u"trailing "_s << u"trailing "_s;
        QTest::newRow("non-ASCII") << u"Größe"_s << u"Größe."_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void fullStopRule() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(errorBoxText(text), shown);
        showError(text);
        QCOMPARE(testing::shown().size(), size_t(1));
        QCOMPARE(testing::shown()[0].kind, testing::Shown::Error);
        QCOMPARE(testing::shown()[0].title, u"Veskor"_s);
        QCOMPARE(testing::shown()[0].text, shown);
    }

    void escapingErrors_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("platform")
            << 0 << u"Class not registered, ClassID: {4689781D-6EFD-41BC-950B-E6983890FA5C}."_s;
        QTest::newRow("assertion") << 1 << u"DefaultInterface is NULL. TCore2.cpp 3980."_s;
        QTest::newRow("UTF-8 text") << 2 << u"Größe ungültig."_s;
        QTest::newRow("unknown") << 3 << u"An unknown error occurred."_s;
    }
    // An error ends the handler where it is raised, goes to the error box, and the caller goes on.
    void escapingErrors() {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        bool after = false;
        guarded([&] {
            switch (kind) {
            case 0:
                throw vk::ComError(vk::HResult(0x80040154),
                                   "Class not registered, ClassID: {4689781D-6EFD-41BC-950B-E6983890FA5C}");
            case 1:
                throw talvo::AssertionError("DefaultInterface is NULL. TCore2.cpp 3980");
            case 2:
                throw std::runtime_error("Gr\xc3\xb6\xc3\x9f"
                                         "e ung\xc3\xbcltig");
            default:
                throw 42;
            }
            after = true;
        });
        QVERIFY(!after);
        QCOMPARE(testing::texts(), std::vector<QString>{shown});
        QCOMPARE(testing::shown()[0].kind, testing::Shown::Error);
    }

    void inputAnswers() {
        testing::queueInput(u"secret"_s);
        testing::queueInput(std::nullopt);
        QCOMPARE(inputBox(u"Veskor"_s, u"Password"_s, u"pre"_s, 255), std::optional<QString>(u"secret"_s));
        QCOMPARE(inputBox(u"Veskor"_s, u"Password"_s, u"pre"_s, 255), std::nullopt);
        // Nothing queued counts as Cancel.
        QCOMPARE(inputBox(u"Veskor"_s, u"Password"_s, u"pre"_s, 255), std::nullopt);
        QCOMPARE(testing::shown().size(), size_t(3));
        QCOMPARE(testing::shown()[0].kind, testing::Shown::Input);
        QCOMPARE(testing::shown()[0].initial, u"pre"_s);
        QCOMPARE(testing::shown()[0].maxLength, 255);
    }

    // The real boxes, answered from a timer while they run modally. Platform texts that look like
    // markup are shown as written, tags and entities included.
    void realMessageBoxes_data() {
        QTest::addColumn<bool>("error");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("message") << false << u"No FileVersionInfo found"_s << u"No FileVersionInfo found"_s;
        QTest::newRow("error") << true << u"Not found"_s << u"Not found."_s;
        QTest::newRow("message, tags") << false << u"Error Opening Library: hx-<i>ivy</i>"_s
                                       << u"Error Opening Library: hx-<i>ivy</i>"_s;
        QTest::newRow("message, entity and break")
            << false << u"Duplicate = A&amp;B<br>C"_s << u"Duplicate = A&amp;B<br>C"_s;
        QTest::newRow("error, markup") << true << u"<b>Access denied</b>"_s << u"<b>Access denied</b>."_s;
    }
    void realMessageBoxes() {
        QFETCH(bool, error);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        testing::disable();
        QString title, boxText, labelText;
        Qt::TextFormat format = Qt::AutoText, labelFormat = Qt::AutoText;
        int buttons = 0;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            boxText = box->text();
            format = box->textFormat();
            icon = box->icon();
            buttons = int(box->buttons().size());
            // The label that shows the text, whatever the box says of itself.
            for (auto* label : box->findChildren<QLabel*>()) {
                if (label->text() != boxText)
                    continue;
                labelText = label->text();
                labelFormat = label->textFormat();
            }
            box->button(QMessageBox::Ok)->click();
        });
        if (error)
            showError(text);
        else
            showMessage(text);
        QCOMPARE(title, u"Veskor"_s);
        QCOMPARE(boxText, shown);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(labelText, shown);
        QCOMPARE(labelFormat, Qt::PlainText);
        QCOMPARE(icon, error ? QMessageBox::Critical : QMessageBox::NoIcon);
        QCOMPARE(buttons, 1);
    }

    void realInputBox_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("OK") << true;
        QTest::newRow("cancel") << false;
    }
    void realInputBox() {
        QFETCH(bool, accept);
        testing::disable();
        QString selected, prompt;
        Qt::TextFormat promptFormat = Qt::AutoText;
        int maxLength = 0;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (auto* label = dialog->findChild<QLabel*>()) {
                prompt = label->text();
                promptFormat = label->textFormat();
            }
            auto* edit = dialog->findChild<QLineEdit*>();
            QVERIFY(edit);
            selected = edit->selectedText();
            maxLength = edit->maxLength();
            if (accept) {
                edit->setText(u"typed"_s);
                QTest::keyClick(edit, Qt::Key_Return); // OK is the default button
            } else {
                dialog->reject();
            }
        });
        const auto answer = inputBox(u"Unlock"_s, u"Password for <i>hx</i>"_s, u"initial"_s, 12);
        QCOMPARE(prompt, u"Password for <i>hx</i>"_s);
        QCOMPARE(promptFormat, Qt::PlainText);
        QCOMPARE(selected, u"initial"_s);
        QCOMPARE(maxLength, 12);
        QCOMPARE(answer, accept ? std::optional<QString>(u"typed"_s) : std::nullopt);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
