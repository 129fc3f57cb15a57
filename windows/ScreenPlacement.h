#pragma once
// Keeping windows where the user can reach them.
#include <QList>
#include <QPoint>
#include <QRect>

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

}  // namespace pixtrel
