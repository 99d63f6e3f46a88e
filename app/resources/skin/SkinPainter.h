#pragma once

#include "SkinTable.h"

#include <QImage>
#include <QMap>

namespace skin {

// Draws the pictures of the table. A control's picture is drawn over the part of its host picture
// it will cover, so hosts are drawn (and kept) first.
class SkinPainter {
public:
    QImage Render(const Picture& picture);

private:
    QImage hostBackground(const Picture& picture);

    QMap<QString, QImage> m_drawn;
};

} // namespace skin
