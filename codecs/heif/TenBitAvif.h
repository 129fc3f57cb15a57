#pragma once
// AVIF files of 10 bits, written through libavif: libheif 1.15's AV1 encoder stops the whole
// process (an assertion in libaom) on any picture of more than 8 bits, as it asks libaom for a
// profile that does not allow them. The planes are ours (YcbcrPlanes), the colours described as
// the libheif path describes them. Errors are Exceptions "AVIF error: <what libavif said>".
#include "codecs/heif/HeifOutput.h"
#include "io/FileBytes.h"

namespace pixtrel {

// `samples` must hold deep samples. Lossless: identity 4:4:4, else 4:2:0 YCbCr at `quantizer`.
// Fails with "Cannot write AVIF files: this system's libavif has no AV1 encoder" without one.
Bytes EncodeTenBitAvif(const HeifSamples& samples, bool lossless, int quantizer, int speed,
                       const PictureMetadata& metadata);

}  // namespace pixtrel
