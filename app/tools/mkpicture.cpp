// Draws the tool's picture (splash window and main window): an abstract signal motif with the
// product name. Run once; its output is committed as app/resources/veskor.jpg.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("veskor.jpg");
    const int w = 290, h = 131;
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient bg(0, 0, w, h);
    bg.setColorAt(0.0, QColor(0x0d, 0x1b, 0x2e));
    bg.setColorAt(0.55, QColor(0x12, 0x3a, 0x52));
    bg.setColorAt(1.0, QColor(0x0b, 0x50, 0x5a));
    p.fillRect(img.rect(), bg);

    QRadialGradient glow(QPointF(w * 0.72, h * 0.42), w * 0.55);
    glow.setColorAt(0.0, QColor(80, 200, 220, 70));
    glow.setColorAt(1.0, QColor(80, 200, 220, 0));
    p.fillRect(img.rect(), glow);

    // Faint measurement grid.
    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    for (int x = 0; x < w; x += 18)
        p.drawLine(x, 0, x, h);
    for (int y = 5; y < h; y += 18)
        p.drawLine(0, y, w, y);

    const double mid = 78;
    auto wave = [&](double amp, double freq, double phase, double decay) {
        QPainterPath path;
        for (int x = 0; x <= w; ++x) {
            const double t = x / double(w);
            const double env = std::exp(-decay * (t - 0.62) * (t - 0.62) * 8);
            const double y = mid - amp * env * std::sin(2 * M_PI * freq * t + phase);
            if (x == 0)
                path.moveTo(x, y);
            else
                path.lineTo(x, y);
        }
        return path;
    };
    p.setPen(QPen(QColor(120, 220, 255, 60), 5));
    p.drawPath(wave(30, 5.0, 0.3, 1.0));
    p.setPen(QPen(QColor(150, 235, 255, 220), 1.6));
    p.drawPath(wave(30, 5.0, 0.3, 1.0));
    p.setPen(QPen(QColor(255, 190, 90, 170), 1.2));
    p.drawPath(wave(18, 9.0, 1.4, 1.6));
    p.setPen(QPen(QColor(200, 140, 255, 120), 1.0));
    p.drawPath(wave(11, 14.0, 2.2, 2.2));

    // Sampled values as stems along the main wave.
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(QColor(230, 250, 255, 200));
    for (int x = 9; x < w; x += 14) {
        const double t = x / double(w);
        const double env = std::exp(-1.0 * (t - 0.62) * (t - 0.62) * 8);
        const double y = mid - 30 * env * std::sin(2 * M_PI * 5.0 * t + 0.3);
        p.drawLine(QPointF(x, mid), QPointF(x, y));
        p.drawEllipse(QPointF(x, y), 1.6, 1.6);
    }
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.drawLine(0, int(mid), w, int(mid));

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(QRect(15, 7, 200, 42), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Veskor"));
    p.setPen(QColor(0xf4, 0xfa, 0xff));
    p.drawText(QRect(13, 5, 200, 42), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Veskor"));

    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(10);
    sub.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
    p.setFont(sub);
    p.setPen(QColor(170, 220, 235));
    p.drawText(QRect(15, 44, 260, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("PRODUCT LIBRARY PARAMETERS"));
    p.end();
    return img.save(out, nullptr, 92) ? 0 : 1;
}
