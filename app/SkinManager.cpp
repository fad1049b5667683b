#include "SkinManager.h"

#include <QApplication>

#include <array>
#include <cmath>

namespace {

using Colours = std::array<const char*, SkinManager::RoleCount>;

// Window, WindowText, Base, AltBase, Text, Button, ButtonTop, ButtonBottom, ButtonText, Border,
// Highlight, HighlightText, Link, GaugeFrom, GaugeTo, ToolTip, ToolTipText
struct Skin {
    const char16_t* name;
    Colours colours;
};

// Steam: brass and warm slate; WLM: airy light blue; Pulsar: deep night blue with a cyan glow.
const Skin skins[] = {
    {u"Steam (internal)",
     {"#3d4137", "#e4e0cc", "#2d302a", "#353830", "#ece8d6", "#555a4b", "#6a705c", "#474b3f", "#f1ecd8",
      "#23261f", "#b98d3e", "#1e1a10", "#e6c47a", "#8a6a2c", "#d9ad55", "#f4ecd0", "#2b2616"}},
    {u"WLM (internal)",
     {"#e4ecf5", "#1c2b3c", "#ffffff", "#f1f6fb", "#16222f", "#d6e3f1", "#fbfdff", "#cfdeef", "#14314f",
      "#8daccc", "#3b7ddd", "#ffffff", "#1358c4", "#4b90e8", "#2a66c0", "#ffffe6", "#1c2b3c"}},
    {u"Pulsar (internal)",
     {"#20263a", "#dfe5f2", "#161b2a", "#1c2233", "#e8edf7", "#2f3853", "#3c4768", "#283048", "#eef2fb",
      "#0f1320", "#3fb6e0", "#07131c", "#6cc8ff", "#2b7fd6", "#47d1e8", "#2a3350", "#eef2fb"}},
};

const Skin* skinNamed(const QString& name) {
    for (const Skin& s : skins)
        if (name == QStringView(s.name))
            return &s;
    return nullptr;
}

bool animationsSuppressed = false;

} // namespace

SkinManager::SkinManager(QObject* parent) : QObject(parent) {}

QStringList SkinManager::builtInSkins() {
    QStringList names;
    for (const Skin& s : skins)
        names << QString::fromUtf16(s.name);
    return names;
}

void SkinManager::suppressAnimations(bool suppress) {
    animationsSuppressed = suppress;
}

void SkinManager::setSkinName(const QString& name) {
    if (!skinNamed(name))
        return;
    const bool changed = name != m_skinName;
    m_skinName = name;
    if (changed)
        apply();
    emit afterChange();
}

void SkinManager::setHueOffset(int degrees) {
    if (degrees == m_hueOffset)
        return;
    m_hueOffset = degrees;
    apply();
}

void SkinManager::setSaturation(int percent) {
    percent = std::clamp(percent, -100, 100);
    if (percent == m_saturation)
        return;
    m_saturation = percent;
    apply();
}

QColor SkinManager::shifted(const QColor& c) const {
    float h, s, l, a;
    c.getHslF(&h, &s, &l, &a);
    if (h >= 0)
        h = std::fmod(h * 360.0f + float(m_hueOffset) + 3600.0f, 360.0f) / 360.0f;
    else
        h = 0;
    s = std::clamp(s * (100.0f + float(m_saturation)) / 100.0f, 0.0f, 1.0f);
    return QColor::fromHslF(h, s, l, a);
}

QColor SkinManager::color(Role role) const {
    const Skin* skin = skinNamed(m_skinName);
    if (!skin)
        skin = &skins[2];
    return shifted(QColor(QString::fromLatin1(skin->colours[role])));
}

QString SkinManager::pushButtonStyleSheet() const {
    auto c = [this](Role r) { return color(r).name(); };
    return QStringLiteral(
               "QPushButton { color: %1; border: 1px solid %2; border-radius: 4px; padding: 3px 10px;"
               " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %3, stop:1 %4); }\n"
               "QPushButton:hover { border-color: %5; }\n"
               "QPushButton:pressed { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %4, stop:1 "
               "%3); }\n"
               "QPushButton:focus { border-color: %5; }\n")
        .arg(c(ButtonText), c(Border), c(ButtonTop), c(ButtonBottom), c(Highlight));
}

QString SkinManager::gaugeStyleSheet() const {
    auto c = [this](Role r) { return color(r).name(); };
    return QStringLiteral(
               "QProgressBar { color: %1; border: 1px solid %2; border-radius: 3px; background: %3;"
               " text-align: center; font-weight: bold; }\n"
               "QProgressBar::chunk { border-radius: 2px;"
               " background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %4, stop:1 %5); }\n")
        .arg(c(Text), c(Border), c(Base), c(GaugeFrom), c(GaugeTo));
}

void SkinManager::apply() {
    if (m_animated && !animationsSuppressed)
        emit aboutToRecolour();
    // The gauge is the skin's own control wherever it is; the application's palette, and with it
    // every list, field and grid, stays the system's.
    qApp->setStyleSheet(gaugeStyleSheet());
    emit recoloured();
}
