#pragma once
// Pictures for display: the preview and the viewer open a file through the program's own
// readers, choosing the reader by the file's extension.
#include <QImage>
#include <QString>

namespace pixtrel {

// The picture in the file. The extension without its dot, in lower case, picks the reader:
// "jpg" and "jpeg" JPEG, "gif" GIF (its first frame, transparent parts white), "bmp" BMP. Any
// other extension, ".jpe" among them, fails with "Unknown picture file extension (.EXT)"; the
// readers' errors pass through, and a picture without pixels fails too. Never a null image.
QImage LoadPictureFile(const QString& path);

}  // namespace pixtrel
