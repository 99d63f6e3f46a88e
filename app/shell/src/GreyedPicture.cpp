#include "GreyedPicture.h"

#include <algorithm>
#include <cstdlib>

QPixmap GreyedPicture(const QPixmap& picture, const QImage& behind, QPoint at)
{
    constexpr int kTolerance = 8;
    QImage image = picture.toImage().convertToFormat(QImage::Format_RGB32);
    auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= kTolerance && std::abs(qGreen(a) - qGreen(b)) <= kTolerance &&
               std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
    };
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int by = at.y() + y;
        const QRgb* under = by >= 0 && by < behind.height() ? reinterpret_cast<const QRgb*>(behind.constScanLine(by)) : nullptr;
        for (int x = 0; x < image.width(); ++x) {
            const int bx = at.x() + x;
            if (under && bx >= 0 && bx < behind.width() && near(line[x], under[bx]))
                continue;
            // The skin's greyed colours: a slate-blue grey, darker than any live tile.
            const int grey = qGray(line[x]) * 45 / 100 + 22;
            line[x] = qRgb(grey * 90 / 100, grey, std::min(255, grey * 118 / 100));
        }
    }
    return QPixmap::fromImage(image);
}
