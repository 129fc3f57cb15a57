#pragma once
// Pictures for display: the preview and the viewer open a file through the program's own
// readers, choosing the reader by the file's extension.
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace pixtrel {

// The picture in the file, as a viewer shows it: turned upright by its orientation, transparent
// parts white. The extension without its dot, in lower case, picks the reader: "jpg" and "jpeg"
// JPEG, "gif" GIF (its first frame), "bmp" BMP, "png", "webp", "heic", "heif", "avif". Any other
// extension, ".jpe" among them, fails with "Unknown picture file extension (.EXT)"; the readers'
// errors pass through, and a picture without pixels fails too. Never a null image.
QImage LoadPictureFile(const QString& path);

// A picture for display, and the size of the (upright) picture in the file.
struct PictureToShow {
  QImage image;
  QSize fullSize;
};

// As LoadPictureFile, for display only: shownSize gets the picture's full size and says what
// size it will be shown at. A JPEG is decoded with the codec's scaling straight to the smallest
// eighth of its size (1/8, 2/8, ... 8/8) that is still at least that size, with the faster
// integer transform; other pictures come at full size. The image is thus at least the size
// shown (up to the full size), for the display to shrink, never to enlarge.
// With keepAlpha, a picture with transparency (PNG, WebP, HEIC, AVIF) comes with its alpha
// channel instead of composited on white.
PictureToShow LoadPictureToShow(const QString& path, const std::function<QSize(QSize)>& shownSize,
                                bool keepAlpha = false);

}  // namespace pixtrel
