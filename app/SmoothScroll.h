// Makes a scroll bar glide to where a step, a page or the wheel sends it instead of jumping there;
// dragging the handle still moves the content at once.
#pragma once

#include <QObject>
#include <QPointer>

class QPropertyAnimation;
class QScrollBar;

namespace vk {

class SmoothScroll final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SmoothScroll)

public:
    explicit SmoothScroll(QScrollBar* bar);

    // Length of one glide in milliseconds (0: jump).
    static void setDuration(int milliseconds);

private:
    void glide(int action);

    QPointer<QScrollBar> m_bar;
    QPropertyAnimation* m_animation;
    int m_target = 0;
};

} // namespace vk
