#include "EffectLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

namespace inspect {

namespace {

// Margin around the text, so the shadow is not cut at the label's edges.
constexpr int kPad = 2;

QString displayForm(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n\r|\r|\n"));
    QString s = text;
    s.replace(breaks, QStringLiteral("\n"));
    return s;
}

// What assistive tools see of the label: a static text named by what it shows.
class AccessibleEffectLabel final : public QAccessibleWidget {
public:
    explicit AccessibleEffectLabel(EffectLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString set = QAccessibleWidget::text(t); // an accessible name given explicitly wins
            return set.isEmpty() ? static_cast<const EffectLabel*>(widget())->displayText() : set;
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(EffectLabel::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new AccessibleEffectLabel(static_cast<EffectLabel*>(object));
    return nullptr;
}

} // namespace

EffectLabel::EffectLabel(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

void EffectLabel::setText(const QString& text) {
    m_text = text;
    m_display = displayForm(text);
    if (m_autoSize)
        resize(sizeHint());
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void EffectLabel::setAlignment(Qt::Alignment a) {
    m_alignment = a;
    update();
}

void EffectLabel::setAutoSize(bool on) {
    m_autoSize = on;
    if (on)
        resize(sizeHint());
}

void EffectLabel::setWrapWidth(int width) {
    m_wrapWidth = width;
    if (m_autoSize)
        resize(sizeHint());
    update();
}

QSize EffectLabel::sizeHint() const {
    const int limit = m_wrapWidth > 0 ? m_wrapWidth - 2 * kPad : 100000;
    const QRect r = fontMetrics().boundingRect(QRect(0, 0, limit, 100000),
                                               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_display);
    return {r.width() + 2 * kPad, r.height() + 2 * kPad};
}

void EffectLabel::paintEvent(QPaintEvent*) {
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

void EffectLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void EffectLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace inspect
