#pragma once
// What the AVIF and HEIC writers share: their settings, the JPEG quality's counterpart on each
// encoder's own scale, and the choice of the samples they encode.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/DecodedPicture.h"

namespace pixtrel {

struct HeifWriteSettings {
  int quality = 90;       // the JPEG save quality, 0..100, mapped per encoder below
  bool lossless = false;  // AVIF only: every 8-bit sample kept exactly
};

// The encoder settings that lose about as much as a JPEG written at jpegQuality (0..100) does:
// measured on photos as the coarsest setting whose PSNR (over red, green and blue) is at least
// the JPEG's, at the chroma subsampling both use (4:2:0). The files come out about half the
// JPEG's size.
//   AVIF: the AV1 quantizer, 0 (finest) .. 63, for colour; alpha is kept losslessly.
//   HEIC: libheif's quality for its x265 encoder, 0..100 (libheif turns it into x265's CRF).
int AvifQuantizer(int jpegQuality);
int HeicQuality(int jpegQuality);

// The samples a writer encodes. 8 bits: the picture as a Bitmap24 (a palette expanded) with its
// alpha plane; 10 bits: the deep samples, used only when given and still showing the picture
// (see DeepSamplesMatch), else the 8-bit picture is written.
class HeifSamples {
 public:
  // Fails with "Picture too large to write as FORMAT: ..." beyond the encoders' limits
  // (kMaxHeifWriteSide, kMaxHeifWritePixels), before anything is allocated, and with an
  // EBitmapError when the alpha plane does not fit the picture.
  HeifSamples(const char* format, const Raster& raster, const std::vector<std::uint8_t>* alpha,
              const DeepSamples* deep);

  int width() const { return width_; }
  int height() const { return height_; }
  bool hasAlpha() const { return alpha_ != nullptr; }
  // Null for an 8-bit output.
  const DeepSamples* deep() const { return deep_; }
  const Bitmap24& bitmap() const { return *bitmap_; }
  const std::vector<std::uint8_t>& alpha() const { return *alpha_; }

 private:
  int width_ = 0;
  int height_ = 0;
  const Bitmap24* bitmap_ = nullptr;
  Bitmap24 expanded_;
  const std::vector<std::uint8_t>* alpha_ = nullptr;
  const DeepSamples* deep_ = nullptr;
};

}  // namespace pixtrel
