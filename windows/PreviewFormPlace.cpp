#include "windows/PreviewFormPlace.h"

#include <algorithm>

namespace pixtrel {
namespace {

constexpr int kGap = 8;  // between the main window and the preview

bool Fits(const QRect& frame, const QRect& area) {
  return area.contains(frame);
}

// value moved into [low, high] as far as it can go; low wins when the range is empty.
int Into(int value, int low, int high) {
  return std::max(low, std::min(value, high));
}

// One axis of KeepGrowthInside: the new start of a run that grew from [start, beforeEnd] to
// [start, afterEnd], with the area's run [low, high].
int PullBack(int start, int beforeEnd, int afterEnd, int low, int high) {
  if (afterEnd <= high || afterEnd <= beforeEnd) return start;
  const int allowedEnd = std::max(beforeEnd, high);
  const int moved = start - (afterEnd - allowedEnd);
  return start >= low ? std::max(moved, low) : start;
}

}  // namespace

QPoint FirstPreviewPlace(const QRect& mainFrame, QSize previewFrame, const QRect& area) {
  const int w = previewFrame.width(), h = previewFrame.height();
  const int top = Into(mainFrame.top(), area.top(), area.bottom() + 1 - h);
  const int left = Into(mainFrame.left(), area.left(), area.right() + 1 - w);
  const QPoint candidates[] = {
      {mainFrame.right() + 1 + kGap, top},    // right
      {mainFrame.left() - kGap - w, top},     // left
      {left, mainFrame.bottom() + 1 + kGap},  // below
      {left, mainFrame.top() - kGap - h},     // above
  };
  for (const QPoint& place : candidates) {
    if (Fits(QRect(place, previewFrame), area)) return place;
  }
  return QPoint(std::max(area.left(), area.right() + 1 - w),
                std::max(area.top(), area.bottom() + 1 - h));
}

QPoint KeepGrowthInside(const QRect& before, const QRect& after, const QRect& area) {
  return QPoint(PullBack(after.left(), before.right(), after.right(), area.left(), area.right()),
                PullBack(after.top(), before.bottom(), after.bottom(), area.top(), area.bottom()));
}

}  // namespace pixtrel
