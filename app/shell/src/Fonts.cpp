#include "Fonts.h"

#include <QFontMetricsF>

#include <algorithm>

#include <cmath>

QFont MakeArialFont(int height, int weight)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(static_cast<QFont::Weight>(weight));
    if (height <= 0) {
        // A negative height is the character height itself.
        font.setPixelSize(height < 0 ? -height : 1);
        return font;
    }
    // The cell of the font per pixel of its em, measured large for precision; the em is rounded down
    // so that a text never takes more room than the layout gave it.
    constexpr int kProbe = 100;
    font.setPixelSize(kProbe);
    const QFontMetricsF metrics(font);
    const double cell = metrics.ascent() + metrics.descent();
    font.setPixelSize(cell > 0 ? std::max(1, static_cast<int>(std::floor(height * kProbe / cell))) : height);
    return font;
}
