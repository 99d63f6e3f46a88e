#include "Fonts.h"

#include <QFontMetrics>

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
    font.setPixelSize(height);
    const int cell = QFontMetrics(font).height();
    if (cell > 0)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(double(height) * height / cell))));
    return font;
}
