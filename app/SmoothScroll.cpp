#include "SmoothScroll.h"

#include <QPropertyAnimation>
#include <QScrollBar>

namespace vk {

namespace {
int glideMs = 150;
}

void SmoothScroll::setDuration(int milliseconds) {
    glideMs = std::max(0, milliseconds);
}

SmoothScroll::SmoothScroll(QScrollBar* bar)
    : QObject(bar), m_bar(bar), m_animation(new QPropertyAnimation(bar, "value", this)) {
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(bar, &QAbstractSlider::actionTriggered, this, &SmoothScroll::glide);
}

// Runs while the bar has taken the action's new position but not yet its value: the position is
// put back and the value glides there instead.
void SmoothScroll::glide(int action) {
    if (!m_bar || glideMs == 0)
        return;
    // A drag follows the hand.
    if (action == QAbstractSlider::SliderMove && m_bar->isSliderDown()) {
        m_animation->stop();
        return;
    }
    if (action == QAbstractSlider::SliderNoAction)
        return;
    const int step = m_bar->sliderPosition() - m_bar->value();
    if (step == 0)
        return;
    // Steps taken while gliding add up from where the last one was going.
    const bool gliding = m_animation->state() == QAbstractAnimation::Running;
    const int from = m_bar->value();
    m_target = std::clamp((gliding ? m_target : from) + step, m_bar->minimum(), m_bar->maximum());
    m_bar->setSliderPosition(from);
    m_animation->stop();
    m_animation->setDuration(glideMs);
    m_animation->setStartValue(from);
    m_animation->setEndValue(m_target);
    m_animation->start();
}

} // namespace vk
