#pragma once

#include <QImage>
#include <QPixmap>
#include <QPoint>

// The look of a button whose page is not built yet: the picture greyed and dimmed, while the part
// of it that shows the page behind it (within a few levels) is left as it is. `behind` is the page
// picture (RGB32) and `at` the button's place on it.
QPixmap GreyedPicture(const QPixmap& picture, const QImage& behind, QPoint at);
