#pragma once
// Where the preview window goes: its first place beside the main window, and a growing preview
// kept from crossing the edge of the usable screen area.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace pixtrel {

// The frame's top-left corner for a preview of the given frame size on its first run: beside the
// main window's frame, to its right, else to its left, else below or above it, wherever the whole
// preview fits in area (the screen's usable part), level with the main window's top (or left)
// as far as area allows; with no room anywhere, area's bottom-right corner.
QPoint FirstPreviewPlace(const QRect& mainFrame, QSize previewFrame, const QRect& area);

// The frame's top-left corner after it grew from before to after (same top-left corner): moved
// back up and to the left by what the growth carried past area's right and bottom edges, no
// further than area's left and top edges. A frame that already crossed an edge keeps doing so by
// the same amount; one that did not grow stays where it is.
QPoint KeepGrowthInside(const QRect& before, const QRect& after, const QRect& area);

}  // namespace pixtrel
