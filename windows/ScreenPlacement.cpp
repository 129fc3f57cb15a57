#include "windows/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace pixtrel {
namespace {

constexpr int kGrabSize = 40;

// Squared distance between two rectangles; 0 when they overlap.
std::int64_t Distance2(const QRect& a, const QRect& b) {
  const std::int64_t dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
  const std::int64_t dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
  return dx * dx + dy * dy;
}

std::int64_t Overlap(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : std::int64_t{common.width()} * common.height();
}

}  // namespace

QPoint PlaceInside(const QRect& frame, const QRect& area) {
  const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
  const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
  return QPoint(x, y);
}

QPoint ReachablePlace(const QRect& frame, const QList<QRect>& screens) {
  const int needWidth = std::min(kGrabSize, std::max(frame.width(), 1));
  const int needHeight = std::min(kGrabSize, std::max(frame.height(), 1));
  for (const QRect& screen : screens) {
    const QRect common = frame.intersected(screen);
    if (common.width() >= needWidth && common.height() >= needHeight) return frame.topLeft();
  }
  const QRect* nearest = nullptr;
  std::int64_t nearestDistance = std::numeric_limits<std::int64_t>::max();
  std::int64_t nearestOverlap = -1;
  for (const QRect& screen : screens) {
    const std::int64_t distance = Distance2(frame, screen);
    const std::int64_t overlap = Overlap(frame, screen);
    if (distance < nearestDistance || (distance == nearestDistance && overlap > nearestOverlap)) {
      nearest = &screen;
      nearestDistance = distance;
      nearestOverlap = overlap;
    }
  }
  return nearest ? PlaceInside(frame, *nearest) : frame.topLeft();
}

QPoint ReachablePlace(const QRect& frame) {
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens())
    areas.append(screen->availableGeometry());
  return ReachablePlace(frame, areas);
}

void PlaceInsideAt(QWidget& window, QPoint place) {
  // Zero until the window manager has framed the window.
  const QRect frame = window.frameGeometry();
  const QRect inside = window.geometry();
  const QMargins border(inside.left() - frame.left(), inside.top() - frame.top(),
                        frame.right() - inside.right(), frame.bottom() - inside.bottom());
  const QRect outer = QRect(place, window.size()).marginsAdded(border);
  const QPoint reachable = ReachablePlace(outer) + QPoint(border.left(), border.top());
  window.setGeometry(QRect(reachable, window.size()));
}

}  // namespace pixtrel
