#include "Fonts.h"

#include <QStringList>

namespace vk::fonts {

namespace {

QFont make(const QStringList& families, int pixelHeight) {
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixelHeight);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

QFont sansSerif(int pixelHeight) {
    return make({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
                 QStringLiteral("Liberation Sans"), QStringLiteral("Sans Serif")},
                pixelHeight);
}

QFont arial(int pixelHeight, bool condensed) {
    QFont f = make({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans"),
                    QStringLiteral("Sans Serif")},
                   pixelHeight);
    if (condensed)
        f.setStretch(QFont::Condensed);
    return f;
}

QFont comic(int pixelHeight) {
    // The common stand-ins run wider than the original; the condensed cut keeps headings in
    // their laid-out room.
    QFont f = make({QStringLiteral("Comic Neue"), QStringLiteral("Comic Relief"),
                    QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")},
                   pixelHeight);
    f.setStretch(QFont::Condensed);
    return f;
}

QFont form() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

} // namespace vk::fonts
