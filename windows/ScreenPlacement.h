#pragma once
// Keeping windows where the user can reach them.
#include <QList>
#include <QPoint>
#include <QRect>

class QWidget;

namespace pixtrel {

// Where a window whose frame would be `frame` goes, given the screens' usable areas: where it is
// when enough of it lies on one screen to grab it (40 by 40 pixels, or all of a smaller window);
// otherwise onto the nearest screen, moved by the least distance that puts it inside (its
// top-left corner inside when it is larger than the screen). No screens: where it is.
QPoint ReachablePlace(const QRect& frame, const QList<QRect>& screens);

// The same, with the usable areas of the desktop's screens.
QPoint ReachablePlace(const QRect& frame);

// The top-left corner that moves the frame by the least distance to lie inside area.
QPoint PlaceInside(const QRect& frame, const QRect& area);

// Puts the inside of a top-level window (the window without the window manager's frame) with
// its top-left corner at the place, or, where the window could not be reached there, onto the
// nearest screen (as ReachablePlace, counting the frame once it is known). The inside is the
// one point that can be set and read back the same before and after the window manager has
// framed the window, so a place stored from geometry() comes back unchanged.
void PlaceInsideAt(QWidget& window, QPoint place);

}  // namespace pixtrel
