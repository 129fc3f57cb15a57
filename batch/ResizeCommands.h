#pragma once
#include "batch/BatchCommand.h"

namespace pixtrel {

// "resize-jpg", "resize-gif", "resize-bmp": each selected file scaled so that its longer side
// has the Pixels: field's number of pixels. Honours the save mode ("mini-") and keep-date; the
// method and the pixel text are read for each file, the text converted before the file is read.
BatchCommand ResizeCommand(ImageFormat format);

}  // namespace pixtrel
