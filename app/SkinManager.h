// The tool's skins: three built-in themes, each a set of colours turned into the application's
// palette and a light style sheet, shifted in hue and saturation before use. Applies app-wide,
// so every window (main window, splash, details windows) follows the skin in force.
#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>

class SkinManager final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkinManager)

public:
    explicit SkinManager(QObject* parent = nullptr);

    static QStringList builtInSkins();

    QString skinName() const { return m_skinName; }
    // Selects a built-in skin by name (exact) and announces it through afterChange; other names
    // change nothing.
    void setSkinName(const QString& name);

    int hueOffset() const { return m_hueOffset; }
    void setHueOffset(int degrees);
    // Saturation change in percent, -100 (grey) to 100 (double).
    int saturation() const { return m_saturation; }
    void setSaturation(int percent);

    // The skin-change cross-fade.
    bool animated() const { return m_animated; }
    void setAnimated(bool on) { m_animated = on; }
    // Keeps every skin manager from fading, whatever its switch says (tests).
    static void suppressAnimations(bool suppress);

    // A colour of the skin in force, after the hue and saturation shift.
    enum Role { Window, WindowText, Base, AltBase, Text, Button, ButtonTop, ButtonBottom, ButtonText,
                Border, Highlight, HighlightText, Link, GaugeFrom, GaugeTo, ToolTip, ToolTipText, RoleCount };
    QColor color(Role role) const;
    // The shift of hue and saturation applied to a colour.
    QColor shifted(const QColor& c) const;

    QString styleSheet() const;

signals:
    void afterChange();

private:
    void apply();
    void fadeWindows();

    QString m_skinName;
    int m_hueOffset = 0;
    int m_saturation = 0;
    bool m_animated = true;
};
