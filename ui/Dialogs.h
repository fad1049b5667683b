// Every message, error and input box of the tool goes through here, so tests can answer them and
// read what was shown.
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace dialogs {

// The application title: the caption of every box.
inline QString appTitle() {
    return QStringLiteral("Veskor");
}

// A modal box with the application title, the text and one OK button.
void showMessage(const QString& text);

// The error box for an error that escaped a handler: error icon, application title, one OK
// button; the text gets a full stop when its last character's code is above that of ".".
void showError(const QString& text);
QString errorBoxText(const QString& text);

// The error box for an exception (platform errors and others); unknown exceptions get a generic text.
void showException(std::exception_ptr e);

// Runs a handler; an exception that escapes it ends it and goes to the error box.
template <class F> void guarded(F&& handler) {
    try {
        handler();
    } catch (...) {
        showException(std::current_exception());
    }
}

// A modal input box: title, prompt, one-line entry pre-filled and selected as a whole, shown in
// clear, at most maxLength characters; OK (default) and Cancel. Empty optional: anything but OK.
std::optional<QString> inputBox(const QString& title, const QString& prompt, const QString& initial,
                                int maxLength);

// ---------------------------------------------------------------------------------------------
// Test seam. While enabled, no real box is shown: every box is recorded, and an input box takes
// the next queued answer (no queued answer counts as Cancel).

namespace testing {

struct Shown {
    enum Kind { Message, Error, Input } kind;
    QString title;
    QString text;    // the message (for Error: after the full-stop rule), or the input prompt
    QString initial; // input boxes: the pre-filled text
    int maxLength = 0;
};

void enable();
void disable();
bool enabled();
// std::nullopt: answer Cancel.
void queueInput(std::optional<QString> answer);
// Called for every box as it is shown (after it is recorded); may e.g. click during a slide.
void setOnShown(std::function<void(const Shown&)> callback);
const std::vector<Shown>& shown();
std::vector<QString> texts(); // the texts of every box shown, in order
void clear();

} // namespace testing

} // namespace dialogs
