#pragma once
// The exception for a failed call into the JPEG bridge.
#include "codecs/jpeg/JpegBridge.h"

namespace pixtrel {

// Throws EJPEG with the status's message: our own text for our own codes, "JPEG file is
// damaged: ..." for corrupt data, else "JPEG error #N: the codec's text".
[[noreturn]] void ThrowJpegError(const jpegbridge::Status& status);

}  // namespace pixtrel
