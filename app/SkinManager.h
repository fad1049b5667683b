// The tool's skins: three built-in themes, each a set of colours shifted in hue and saturation
// before use. The manager holds the skin in force and draws the one control kind it owns app-wide,
// the gauge; a form takes the skin through its SkinProvider (background, labels on it, push
// buttons). Everything else keeps the system's own look.
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

    // The skin-change cross-fade (shown by the forms' providers).
    bool animated() const { return m_animated; }
    void setAnimated(bool on) { m_animated = on; }
    // Keeps every skin manager from fading, whatever its switch says (tests).
    static void suppressAnimations(bool suppress);

    // A colour of the skin in force, after the hue and saturation shift.
    enum Role {
        Window,
        WindowText,
        Base,
        AltBase,
        Text,
        Button,
        ButtonTop,
        ButtonBottom,
        ButtonText,
        Border,
        Highlight,
        HighlightText,
        Link,
        GaugeFrom,
        GaugeTo,
        ToolTip,
        ToolTipText,
        RoleCount
    };
    QColor color(Role role) const;
    // The shift of hue and saturation applied to a colour.
    QColor shifted(const QColor& c) const;

    // The look of push buttons and of the gauge in the skin in force.
    QString pushButtonStyleSheet() const;
    QString gaugeStyleSheet() const;

signals:
    // After each selection of a skin by name.
    void afterChange();
    // The colours are about to change and the change is to be animated: forms keep their old look
    // to fade from.
    void aboutToRecolour();
    // The colours changed (skin, hue or saturation).
    void recoloured();

private:
    void apply();

    QString m_skinName;
    int m_hueOffset = 0;
    int m_saturation = 0;
    bool m_animated = true;
};
