#pragma once

#include <QFont>

// "Arial" (Liberation Sans, metric-compatible) the way the pages size their fonts: a positive height
// is the character cell (ascent + descent) in pixels, as in a Windows font request, so texts take the
// room the page layouts were drawn for. Weight 400 is normal, 700 bold.
QFont MakeArialFont(int height, int weight);
