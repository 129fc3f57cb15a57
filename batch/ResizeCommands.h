#pragma once
#include "batch/BatchCommand.h"
#include "codecs/FormatRow.h"

namespace pixtrel {

// "resize-KEY" for a resizable row ("resize-jpg", ...): each selected file scaled so that its
// longer side has the Pixels: field's number of pixels. Honours the save mode ("mini-") and
// keep-date; the method and the pixel text are read for each file, the text converted before the
// file is read.
BatchCommand ResizeCommand(const FormatRow& row);

}  // namespace pixtrel
