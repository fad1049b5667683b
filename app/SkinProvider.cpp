#include "SkinProvider.h"

#include "SkinManager.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>

#include <algorithm>
#include <cmath>

SkinProvider::SkinProvider(SkinManager* manager, QWidget* form, QObject* parent)
    : QObject(parent), m_manager(manager), m_form(form) {
    // The background is painted here, under the controls; the system's window colour never shows.
    form->setAutoFillBackground(false);
    form->setAttribute(Qt::WA_OpaquePaintEvent);
    form->installEventFilter(this);
    connect(manager, &SkinManager::aboutToRecolour, this, &SkinProvider::fade);
    connect(manager, &SkinManager::recoloured, this, &SkinProvider::apply);
    apply();
}

namespace {

double luminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The text colour moved away from the background in lightness, keeping its hue, until it reads on
// it as body text should (a contrast of 4.5 to 1). A hue shift can bring a skin's colours close.
QColor readableOn(QColor ink, const QColor& background) {
    const bool darker = luminance(background) > 0.18;
    for (int i = 0; i < 40 && contrast(ink, background) < 4.5; ++i) {
        float h, s, l, a;
        ink.getHslF(&h, &s, &l, &a);
        l = std::clamp(l + (darker ? -0.025f : 0.025f), 0.0f, 1.0f);
        ink = QColor::fromHslF(h, s, l, a);
    }
    return ink;
}

} // namespace

void SkinProvider::apply() {
    if (!m_form)
        return;
    const QColor background = m_manager->color(SkinManager::Window);
    QPalette text;
    text.setColor(QPalette::WindowText, readableOn(m_manager->color(SkinManager::WindowText), background));
    text.setColor(QPalette::Link, readableOn(m_manager->color(SkinManager::Link), background));
    const QString buttons = m_manager->pushButtonStyleSheet();
    for (QObject* child : m_form->children()) {
        // Only what lies on the background: a label's palette reaches no further than the label.
        if (auto* label = qobject_cast<QLabel*>(child))
            label->setPalette(text);
        else if (auto* button = qobject_cast<QPushButton*>(child))
            button->setStyleSheet(buttons);
    }
    m_form->update();
}

bool SkinProvider::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_form && event->type() == QEvent::Paint) {
        QPainter p(m_form);
        p.fillRect(static_cast<QPaintEvent*>(event)->rect(), m_manager->color(SkinManager::Window));
    }
    return QObject::eventFilter(watched, event);
}

// Lays the form's window as it looks now over it and fades that picture out, so the new skin
// appears to blend in.
void SkinProvider::fade() {
    if (!m_form)
        return;
    QWidget* window = m_form->window();
    if (!window->isVisible() || window->width() <= 0 || window->height() <= 0)
        return;
    auto* overlay = new QLabel(window);
    overlay->setObjectName(QStringLiteral("skinFade"));
    overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    overlay->setPixmap(window->grab());
    overlay->setGeometry(window->rect());
    auto* effect = new QGraphicsOpacityEffect(overlay);
    overlay->setGraphicsEffect(effect);
    overlay->show();
    overlay->raise();
    auto* fading = new QPropertyAnimation(effect, "opacity", overlay);
    fading->setDuration(220);
    fading->setStartValue(1.0);
    fading->setEndValue(0.0);
    connect(fading, &QPropertyAnimation::finished, overlay, &QObject::deleteLater);
    fading->start();
}
