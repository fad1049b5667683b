#include "EffectLabel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

namespace inspect {

namespace {

// Margin around the text, so the shadow is not cut at the label's edges.
constexpr int kPad = 2;

QString displayForm(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n\r|\r|\n"));
    QString s = text;
    s.replace(breaks, QStringLiteral("\n"));
    return s;
}

} // namespace

EffectLabel::EffectLabel(QWidget* parent) : QWidget(parent)
{
}

void EffectLabel::setText(const QString& text)
{
    m_text = text;
    m_display = displayForm(text);
    if (m_autoSize) resize(sizeHint());
    update();
}

void EffectLabel::setAlignment(Qt::Alignment a)
{
    m_alignment = a;
    update();
}

void EffectLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on) resize(sizeHint());
}

void EffectLabel::setWrapWidth(int width)
{
    m_wrapWidth = width;
    if (m_autoSize) resize(sizeHint());
    update();
}

QSize EffectLabel::sizeHint() const
{
    const int limit = m_wrapWidth > 0 ? m_wrapWidth - 2 * kPad : 100000;
    const QRect r = fontMetrics().boundingRect(QRect(0, 0, limit, 100000),
                                               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_display);
    return {r.width() + 2 * kPad, r.height() + 2 * kPad};
}

void EffectLabel::paintEvent(QPaintEvent*)
{
    // A soft shadow: the text once more, one pixel down and right, in a faint shade of the palette's
    // shadow colour. Drawn directly, as a blur effect would cost more than the rest of the window.
    QPainter p(this);
    const QRect r = rect().adjusted(kPad, kPad, -kPad, -kPad);
    const int flags = int(m_alignment | Qt::AlignTop | Qt::TextWordWrap);
    QColor shadow = palette().color(QPalette::Shadow);
    shadow.setAlpha(60);
    p.setPen(shadow);
    p.drawText(r.translated(1, 1), flags, m_display);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, flags, m_display);
}

void EffectLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void EffectLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace inspect
