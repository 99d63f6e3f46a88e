#pragma once

// The stacking order of the program's windows. A window that comes forward takes the windows it
// owns with it, and the innermost open modal window stays on top of everything the program shows,
// as a raised owner keeps its owned windows above it where the program was first written. Without
// a window manager nothing else would do this: X stacks exactly as asked.
//
// A window owns the windows whose parent it is; a window without a parent is owned by the program's
// window that was frontmost when it appeared (a message box by the page that opened it).

#include <QList>

class QWidget;

namespace tarvik::stacking {

// Starts following the program's windows as they appear and go (once; every page does it).
void Track();

// Brings the window forward with its owned windows and the modal ones above it, in that order, and
// gives the focus to the innermost modal window (or the window itself when none is open). Windows
// already in that order, with the focus where it belongs, are left alone: a page repaints often.
void BringForward(QWidget* window, bool activate);

// The window's owner, or null.
QWidget* Owner(const QWidget* window);

// The program's visible windows, bottom to top, as the program last stacked them.
QList<QWidget*> Order();

} // namespace tarvik::stacking
