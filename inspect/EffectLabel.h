// A label that draws its text with a soft shadow in the palette's colours, and reports clicks.
//
// The text is kept exactly as given (line breaks as CR, LF or any pair of them); only the drawing
// turns each break, whether CR LF, LF CR, CR or LF, into one line break. Assistive tools read it
// as they read a label: a static text whose name is the text as shown.
#pragma once

#include <QString>
#include <QWidget>

namespace inspect {

class EffectLabel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EffectLabel)
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit EffectLabel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // Horizontal alignment of the text (Qt::AlignLeft or Qt::AlignHCenter).
    void setAlignment(Qt::Alignment a);
    // When on, the label takes the size of its text at each change.
    void setAutoSize(bool on);
    // Lines longer than this (in pixels, 0: no limit) wrap at word boundaries when drawn.
    void setWrapWidth(int width);

    QString displayText() const { return m_display; }
    QSize sizeHint() const override;

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_text;
    QString m_display;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_autoSize = false;
    int m_wrapWidth = 0;
};

} // namespace inspect
