#include "codecs/jpeg/JpegPreview.h"

#include <cstdint>

#include "codecs/jpeg/JpegBridge.h"
#include "codecs/jpeg/JpegStatusError.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

// side x eighths / 8, rounded up.
std::int64_t ScaledSide(int side, int eighths) {
  return (static_cast<std::int64_t>(side) * eighths + 7) / 8;
}

}  // namespace

int DisplayScaleEighths(int width, int height, int shownWidth, int shownHeight) {
  for (int eighths = 1; eighths < 8; ++eighths) {
    if (ScaledSide(width, eighths) >= shownWidth && ScaledSide(height, eighths) >= shownHeight) {
      return eighths;
    }
  }
  return 8;
}

Raster DecodeJpegForDisplay(const TJPEGImage& picture, int shownWidth, int shownHeight) {
  if (picture.hasRaster()) return picture.raster();
  const Bytes& data = picture.data();
  if (data.empty()) return Bitmap24();
  const int eighths =
      DisplayScaleEighths(picture.width(), picture.height(), shownWidth, shownHeight);
  jpegbridge::HeaderInfo info;
  jpegbridge::Status status =
      jpegbridge::ReadScaledHeader(data.data(), data.size(), eighths, &info);
  if (status.failed()) ThrowJpegError(status);
  CheckPictureSize(info.width, info.height);

  jpegbridge::DecodeJob job;
  job.data = data.data();
  job.size = data.size();
  job.kind = info.kind;
  if (info.kind == jpegbridge::OutputKind::GreyPalette) {
    PaletteBitmap grey(info.width, info.height, 8, {});
    job.pixels = grey.data();
    job.stride = static_cast<std::size_t>(info.width);
    status = jpegbridge::DecodeScaled(&job, eighths);
    if (status.failed()) ThrowJpegError(status);
    grey.palette().resize(static_cast<std::size_t>(job.greyLevelCount));
    for (int i = 0; i < job.greyLevelCount; ++i) {
      grey.palette()[i] = Rgb{job.greyLevels[i], job.greyLevels[i], job.greyLevels[i]};
    }
    return grey;
  }
  Bitmap24 colour = Bitmap24::Uninitialised(info.width, info.height);
  job.pixels = colour.data();
  job.stride = colour.stride();
  status = jpegbridge::DecodeScaled(&job, eighths);
  if (status.failed()) ThrowJpegError(status);
  return colour;
}

}  // namespace pixtrel
