#pragma once
// One picture written as a HEIF file by libheif with the encoder a writer chose and set up, what
// the HEIC and AVIF writers share: the samples turned into YCbCr planes here (YcbcrPlanes), the
// colours described (BT.709 primaries, sRGB transfer, full range; the BT.601 matrix, or the
// identity for exact 4:4:4) with the ICC profile beside, alpha as an auxiliary image, no rotation
// or mirroring boxes, then the EXIF and XMP blocks. Errors are Exceptions "HEIF error: <what
// libheif said>".
#include <libheif/heif.h>

#include <memory>

#include "codecs/heif/HeifOutput.h"
#include "io/FileBytes.h"

namespace pixtrel::heif {

struct EncoderRelease {
  void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
};
using Encoder = std::unique_ptr<heif_encoder, EncoderRelease>;

// How the colour reaches the encoder.
enum class Planes {
  Ycbcr420,     // full-range BT.601, chroma halved both ways
  Identity444,  // red, green and blue kept exactly (Y = G, Cb = B, Cr = R)
};

// The encoders this libheif has for a format.
struct EncoderChoice {
  const heif_encoder_descriptor* preferred = nullptr;  // the one whose id was asked for
  const heif_encoder_descriptor* any = nullptr;        // the one libheif ranks first
};
EncoderChoice FindEncoders(heif_compression_format format, const char* preferredId);

// An encoder made from its descriptor, to be set up by the writer.
Encoder MakeEncoder(const heif_encoder_descriptor* descriptor);

// The samples encoded by `encoder` (set up for `planes`) into a whole HEIF file.
Bytes WriteHeifFile(heif_encoder* encoder, const HeifSamples& samples, Planes planes,
                    const PictureMetadata& metadata);

}  // namespace pixtrel::heif
