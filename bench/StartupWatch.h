// What the start-up benchmark's child programs share: the moment a window is first painted, and the
// report line they print for the benchmark. Header-only.
//
// The report, one line on standard output:
//   SHOWN<TAB>created_ns<TAB>shown_ns<TAB>peak_kB<TAB>width<TAB>height<TAB>note
// with times on the system's monotonic clock (the parent reads the same clock before it starts the
// child): created is the window's show request, shown its first painting. note is "ok" or why the
// window is not the one wanted.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <functional>

namespace startup {

inline long long monotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

// The process's peak resident memory so far.
inline long peakResidentKb() {
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1)
                break;
        std::fclose(f);
    }
    return kb;
}

// Watches every event of the application for the first painting of one top-level window (or of any
// widget inside it), then
// reports and asks the window to close. The window is found by a function, as the tool's main
// window does not exist yet when the watch starts.
class FirstPaintWatch final : public QObject {
public:
    using Find = std::function<QWidget*()>;
    // Says "ok" when the painted window shows what it should, or why not.
    using Check = std::function<QString(QWidget*)>;

    FirstPaintWatch(Find find, Check check) : m_find(std::move(find)), m_check(std::move(check)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_done || (event->type() != QEvent::Show && event->type() != QEvent::Paint))
            return false;
        QWidget* window = m_find();
        if (!window)
            return false;
        if (event->type() == QEvent::Show) {
            if (watched == window && !m_createdNs)
                m_createdNs = monotonicNs();
            return false;
        }
        // Painting happens once the window is on screen; what is painted first is what the user sees
        // first. That may be a control covering the whole window rather than the window itself.
        auto* painted = qobject_cast<QWidget*>(watched);
        if (!m_createdNs || !painted || (painted != window && !window->isAncestorOf(painted)))
            return false;
        const long long shownNs = monotonicNs();
        m_done = true;
        const QString note = m_check(window);
        std::printf("SHOWN\t%lld\t%lld\t%ld\t%d\t%d\t%s\n", m_createdNs, shownNs, peakResidentKb(),
                    window->width(), window->height(), qPrintable(note));
        std::fflush(stdout);
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
        return false;
    }

private:
    Find m_find;
    Check m_check;
    long long m_createdNs = 0;
    bool m_done = false;
};

} // namespace startup
