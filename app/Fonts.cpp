#include "Fonts.h"

#include <QStringList>

namespace vk::fonts {

namespace {

QFont make(const QStringList& families, int pixelHeight)
{
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixelHeight);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

QFont sansSerif(int pixelHeight)
{
    return make({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"), QStringLiteral("Liberation Sans"),
                 QStringLiteral("Sans Serif")},
                pixelHeight);
}

QFont arial(int pixelHeight)
{
    return make({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans Condensed"),
                 QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")},
                pixelHeight);
}

QFont comic(int pixelHeight)
{
    return make({QStringLiteral("Comic Neue"), QStringLiteral("Comic Relief"), QStringLiteral("DejaVu Sans"),
                 QStringLiteral("Sans Serif")},
                pixelHeight);
}

} // namespace vk::fonts
