#pragma once
#include "batch/BatchCommand.h"

namespace pixtrel {

// The six conversions: each writes bare name + ".jpg", ".gif" or ".bmp" beside its source,
// ignores the save mode (no subfolder, no question) and applies keep-date to that name.
BatchCommand GifToJpegCommand();
BatchCommand JpegToGifCommand();
BatchCommand BmpToJpegCommand();
BatchCommand BmpToGifCommand();
BatchCommand JpegToBmpCommand();
BatchCommand GifToBmpCommand();

// "convert": a picture of any readable format to the format the options name, written as bare
// name + that format's extension beside its source, like the six above.
BatchCommand ConvertToCommand();

}  // namespace pixtrel
