#pragma once
// What a reader of a modern format gives: the picture, its alpha plane when it has one, the
// metadata blocks it carried (raw, unparsed) and whether its pixels were stored losslessly.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/DeepSamples.h"
#include "core/Raster.h"

namespace pixtrel {

// Metadata blocks as stored in the file: the EXIF block (TIFF header onwards), the ICC profile,
// the XMP packet and, in JPEG files, the IPTC block (the Photoshop resources of APP13). Empty
// means absent.
struct PictureMetadata {
  std::vector<std::uint8_t> exif;
  std::vector<std::uint8_t> icc;
  std::vector<std::uint8_t> xmp;
  std::vector<std::uint8_t> iptc;

  bool empty() const { return exif.empty() && icc.empty() && xmp.empty() && iptc.empty(); }
};

// A picture's size as its header states it, before any orientation is applied.
struct PictureSize {
  int width = 0;
  int height = 0;
  // What a pixel costs while the reader decodes the file, its result included, as far as the
  // header tells (alpha, interlacing, animation, progressive coding): for the batch's memory
  // budget.
  int decodingBytesPerPixel = 3;
};

struct DecodedPicture {
  Raster raster;
  // One byte per pixel, row after row without padding, 255 = opaque; absent when the picture
  // has no transparency information.
  std::optional<std::vector<std::uint8_t>> alpha;
  PictureMetadata metadata;
  bool lossless = true;      // false only for lossy WebP
  bool progressive = false;  // stored in several scans (JPEG): a resize keeps it so
  // The same picture at 16 bits per sample, from readers asked for it (16-bit PNG); see
  // DeepSamples.h.
  std::optional<DeepSamples> deep;
};

// The colour index that stands for transparency in a colour-index picture, as in a GIF: every
// pixel is either opaque or fully transparent, and the transparent ones are exactly the pixels
// of one index. -1 when there is no such index (no alpha plane, partial transparency,
// transparent pixels of several indices, or the index also drawn opaque).
int TransparentIndexOf(const DecodedPicture& picture);

}  // namespace pixtrel
