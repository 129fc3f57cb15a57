#include "codecs/jpeg/JpegImage.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "codecs/jpeg/JpegBridge.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegStatusError.h"
#include "core/Errors.h"
#include "core/Limits.h"
#include "io/SafeWrite.h"
#include "metadata/CmykProfile.h"

namespace pixtrel {
namespace {

// Greyscale output of a four-component file, which libjpeg cannot convert itself: the colour
// result is weighted as libjpeg weighs RGB and mapped onto the same 236 levels, undithered.
PaletteBitmap GreyFromColour(const Bitmap24& colour) {
  constexpr int kLevels = 236;
  std::vector<Rgb> table(kLevels);
  for (int i = 0; i < kLevels; ++i) {
    const auto v = static_cast<std::uint8_t>((i * 255 + (kLevels - 1) / 2) / (kLevels - 1));
    table[i] = Rgb{v, v, v};
  }
  PaletteBitmap grey(colour.width(), colour.height(), 8, std::move(table));
  for (int y = 0; y < colour.height(); ++y) {
    const std::uint8_t* p = colour.row(y);
    std::uint8_t* out = grey.row(y);
    for (int x = 0; x < colour.width(); ++x, p += 3) {
      const unsigned luma = (7471u * p[0] + 38470u * p[1] + 19595u * p[2] + 32768u) >> 16;
      out[x] = static_cast<std::uint8_t>((luma * (kLevels - 1) + 127) / 255);
    }
  }
  return grey;
}

// The header of the bytes with the decoding's output settings, held to the picture limits.
jpegbridge::HeaderInfo CheckedHeader(const Bytes& data, bool greyscale) {
  jpegbridge::HeaderInfo info;
  const jpegbridge::Status status =
      jpegbridge::ReadHeader(data.data(), data.size(), greyscale, &info);
  if (status.failed()) ThrowJpegError(status);
  CheckPictureSize(info.width, info.height);
  CheckPixelsForData(info.width, info.height, static_cast<std::int64_t>(data.size()));
  return info;
}

}  // namespace

void TJPEGImage::SetGreyscale(bool value) {
  if (value != greyscale_) raster_.reset();
  greyscale_ = value;
}

int TJPEGImage::width() const {
  return raster_ ? RasterWidth(*raster_) : headerWidth_;
}
int TJPEGImage::height() const {
  return raster_ ? RasterHeight(*raster_) : headerHeight_;
}

TJPEGImage JpegFromBytes(Bytes bytes) {
  TJPEGImage picture;
  picture.data_ = std::move(bytes);
  if (!picture.data_.empty()) {
    const jpegbridge::HeaderInfo info = CheckedHeader(picture.data_, false);
    picture.headerWidth_ = info.width;
    picture.headerHeight_ = info.height;
    picture.Progressive = info.progressive;
  }
  return picture;
}

TJPEGImage ReadJpegFile(const FilePath& path) {
  return JpegFromBytes(ReadFileBytes(path));
}

void DecodeJpeg(TJPEGImage& picture) {
  if (picture.raster_) return;
  if (picture.data_.empty()) {
    picture.raster_ = Bitmap24();
    return;
  }
  const jpegbridge::HeaderInfo info = CheckedHeader(picture.data_, picture.greyscale_);

  jpegbridge::DecodeJob job;
  job.data = picture.data_.data();
  job.size = picture.data_.size();
  job.greyscale = picture.greyscale_;
  job.kind = info.kind;
  if (info.kind == jpegbridge::OutputKind::GreyPalette) {
    PaletteBitmap grey(info.width, info.height, 8, {});
    job.pixels = grey.data();
    job.stride = static_cast<std::size_t>(info.width);
    if (const auto status = jpegbridge::Decode(&job); status.failed()) ThrowJpegError(status);
    grey.palette().resize(static_cast<std::size_t>(job.greyLevelCount));
    for (int i = 0; i < job.greyLevelCount; ++i) {
      grey.palette()[i] = Rgb{job.greyLevels[i], job.greyLevels[i], job.greyLevels[i]};
    }
    picture.raster_ = std::move(grey);
    return;
  }
  Bitmap24 colour = Bitmap24::Uninitialised(info.width, info.height);
  job.pixels = colour.data();
  job.stride = colour.stride();
  std::unique_ptr<CmykToSrgb> profile;
  if (info.kind == jpegbridge::OutputKind::Cmyk) {
    profile = CmykToSrgb::ForProfile(ReadJpegMetadata(picture.data_).icc, info.invertedCmyk);
    if (profile) {
      job.cmykToBgr = CmykToSrgb::ConvertRow;
      job.cmykContext = profile.get();
    }
  }
  if (const auto status = jpegbridge::Decode(&job); status.failed()) ThrowJpegError(status);
  if (info.kind == jpegbridge::OutputKind::Cmyk && picture.greyscale_) {
    picture.raster_ = GreyFromColour(colour);
  } else {
    picture.raster_ = std::move(colour);
  }
}

namespace {

struct SinkContext {
  const JpegRowConsumer* consume;
  std::exception_ptr error;
};

bool ForwardRows(void* context, const std::uint8_t* rows, std::size_t stride, int firstRow,
                 int count) noexcept {
  auto* c = static_cast<SinkContext*>(context);
  try {
    (*c->consume)(rows, stride, firstRow, count);
    return true;
  } catch (...) {
    c->error = std::current_exception();
    return false;
  }
}

void HandOverWhole(const Raster& raster, const JpegRowConsumer& consume) {
  const Bitmap24* b = std::get_if<Bitmap24>(&raster);
  std::optional<Bitmap24> expanded;
  if (!b) b = &expanded.emplace(ToBitmap24(raster));
  if (!b->empty()) consume(b->data(), b->stride(), 0, b->height());
}

}  // namespace

void DecodeJpegRows(const TJPEGImage& picture, const JpegRowConsumer& consume) {
  if (picture.raster_) return HandOverWhole(*picture.raster_, consume);
  if (picture.data_.empty()) return;
  const jpegbridge::HeaderInfo info = CheckedHeader(picture.data_, picture.greyscale_);
  if (info.kind != jpegbridge::OutputKind::Bgr) {
    TJPEGImage copy = picture;  // greyscale and CMYK output take the whole-picture path
    DecodeJpeg(copy);
    return HandOverWhole(*copy.raster_, consume);
  }
  // Rows are decoded into a band of 128 (whole block rows at any sampling factor): as many as the
  // resampler passes at a time, so that it takes them where they are instead of gathering them.
  constexpr int kBandRows = 128;
  Bitmap24 band = Bitmap24::Uninitialised(info.width, std::min(kBandRows, info.height));
  SinkContext context{&consume, nullptr};
  jpegbridge::DecodeJob job;
  job.data = picture.data_.data();
  job.size = picture.data_.size();
  job.greyscale = picture.greyscale_;
  job.kind = info.kind;
  job.pixels = band.data();
  job.stride = band.stride();
  job.sink = ForwardRows;
  job.sinkContext = &context;
  job.sinkRows = band.height();
  const jpegbridge::Status status = jpegbridge::Decode(&job);
  if (context.error) std::rethrow_exception(context.error);
  if (status.failed()) ThrowJpegError(status);
}

Raster TakeJpegRaster(TJPEGImage& picture) {
  DecodeJpeg(picture);
  Raster raster = std::move(*picture.raster_);
  picture.raster_.reset();
  return raster;
}

void SetJpegRaster(TJPEGImage& picture, Raster raster) {
  picture.data_.clear();
  picture.data_.shrink_to_fit();
  picture.headerWidth_ = RasterWidth(raster);
  picture.headerHeight_ = RasterHeight(raster);
  picture.raster_ = std::move(raster);
}

void EncodeJpeg(TJPEGImage& picture) {
  picture.data_.clear();
  if (!picture.raster_ || RasterEmpty(*picture.raster_)) return;

  // libjpeg reads BGR rows straight from a 24-bit raster; an index raster is expanded first.
  std::optional<Bitmap24> expanded;
  const Bitmap24* source = std::get_if<Bitmap24>(&*picture.raster_);
  if (!source) {
    expanded = ExpandToBitmap24(std::get<PaletteBitmap>(*picture.raster_));
    source = &*expanded;
  }
  jpegbridge::EncodeJob job;
  job.pixels = source->data();
  job.stride = source->stride();
  job.width = source->width();
  job.height = source->height();
  job.quality = picture.Quality < 0 ? 0 : (picture.Quality > 100 ? 100 : picture.Quality);
  job.greyscale = picture.greyscale_;
  job.progressive = picture.Progressive;
  job.output = &picture.data_;
  if (const auto status = jpegbridge::Encode(&job); status.failed()) ThrowJpegError(status);
  picture.data_.shrink_to_fit();
  picture.headerWidth_ = source->width();
  picture.headerHeight_ = source->height();
}

void WriteJpegFile(TJPEGImage& picture, const FilePath& path, OutputSink& sink) {
  if (picture.data().empty()) EncodeJpeg(picture);
  sink.put(path, picture.data());
}

}  // namespace pixtrel
