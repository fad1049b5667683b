#include "Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <deque>

namespace dialogs {

namespace {

struct Seam {
    bool enabled = false;
    std::vector<testing::Shown> shown;
    struct Answer {
        bool ok = false;
        QString text;
    };
    std::deque<Answer> answers; // front is next
    std::function<void(const testing::Shown&)> onShown;
};

Seam& seam() {
    static Seam s;
    return s;
}

void record(const testing::Shown& s) {
    seam().shown.push_back(s);
    // Copy first: the callback may replace itself.
    auto callback = seam().onShown;
    if (callback)
        callback(seam().shown.back());
}

QWidget* boxParent() {
    return QApplication::activeWindow();
}

void runBox(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, appTitle(), text, QMessageBox::Ok, boxParent());
    // Texts carry platform strings (library names, error descriptions) that may look like markup;
    // they are shown as written.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

} // namespace

void showMessage(const QString& text) {
    if (seam().enabled) {
        record({testing::Shown::Message, appTitle(), text, {}, 0});
        return;
    }
    runBox(QMessageBox::NoIcon, text);
}

QString errorBoxText(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

void showError(const QString& text) {
    const QString shownText = errorBoxText(text);
    if (seam().enabled) {
        record({testing::Shown::Error, appTitle(), shownText, {}, 0});
        return;
    }
    runBox(QMessageBox::Critical, shownText);
}

void showException(std::exception_ptr e) {
    QString text;
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& err) {
        // Platform errors and assertion errors among them: their text is the message.
        text = QString::fromUtf8(err.what());
    } catch (...) {
        text = QStringLiteral("An unknown error occurred");
    }
    showError(text);
}

std::optional<QString> inputBox(const QString& title, const QString& prompt, const QString& initial,
                                int maxLength) {
    if (seam().enabled) {
        record({testing::Shown::Input, title, prompt, initial, maxLength});
        auto& answers = seam().answers;
        if (answers.empty())
            return std::nullopt;
        const Seam::Answer answer = answers.front();
        answers.pop_front();
        if (!answer.ok)
            return std::nullopt;
        return answer.text;
    }

    QDialog dialog(boxParent());
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(prompt, &dialog);
    label->setTextFormat(Qt::PlainText);
    auto* edit = new QLineEdit(&dialog);
    edit->setMaxLength(maxLength);
    edit->setText(initial);
    edit->selectAll();
    edit->setMinimumWidth(260);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    edit->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text();
}

namespace testing {

void enable() {
    seam().enabled = true;
}
void disable() {
    seam().enabled = false;
    clear();
}
bool enabled() {
    return seam().enabled;
}
void queueInput(std::optional<QString> answer) {
    seam().answers.push_back({answer.has_value(), answer.value_or(QString())});
}
void setOnShown(std::function<void(const Shown&)> callback) {
    seam().onShown = std::move(callback);
}
const std::vector<Shown>& shown() {
    return seam().shown;
}
std::vector<QString> texts() {
    std::vector<QString> result;
    for (const auto& s : seam().shown)
        result.push_back(s.text);
    return result;
}
void clear() {
    seam().shown.clear();
    seam().answers.clear();
    seam().onShown = nullptr;
}

} // namespace testing

} // namespace dialogs
