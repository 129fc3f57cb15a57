#include "imaging/ResizeFile.h"

#include <cmath>
#include <string>

#include "formats/Bmp.h"
#include "formats/Errors.h"
#include "formats/FastStretch.h"
#include "formats/GifCodec.h"
#include "formats/JpegImage.h"
#include "formats/Limits.h"
#include "imaging/FilterTable.h"
#include "imaging/ResampleBitmap.h"
#include "imaging/RowResampler.h"

namespace pixtrel {
namespace {

// Scales a picture already in memory into a white target of the given size.
Bitmap24 Scale(Raster& picture, const TargetSize& size, ResizeMethod method) {
  Bitmap24 target(size.width, size.height);
  if (method == ResizeMethod::Normal) {
    FastStretch(picture, target, Rect{0, 0, size.width, size.height});
  } else {
    const FilterEntry& lanczos = Lanczos3Entry();
    ResampleBitmap(picture, target, lanczos.function, lanczos.support);
  }
  return target;
}

void ResizeGif(const std::filesystem::path& source, const std::filesystem::path& output,
               ResizeMethod method, int n, OutputSink& sink) {
  TGIFImage picture = ReadGifFile(source);
  const TargetSize size = ResizedSize(picture.width(), picture.height(), n);
  Bitmap24 target(size.width, size.height);
  if (method == ResizeMethod::Normal) {
    DrawGifFrame(picture, target, Rect{0, 0, size.width, size.height});
  } else {
    // Drawn at its own size on white first, so transparent pixels become white.
    Raster whole = Bitmap24(picture.width(), picture.height());
    DrawGifFrame(picture, std::get<Bitmap24>(whole), Rect{0, 0, picture.width(), picture.height()});
    const FilterEntry& lanczos = Lanczos3Entry();
    ResampleBitmap(whole, target, lanczos.function, lanczos.support);
  }
  SetGifRaster(picture, std::move(target));
  WriteGifFile(picture, output, sink);
}

void ResizeJpeg(const std::filesystem::path& source, const std::filesystem::path& output,
                ResizeMethod method, int n, int quality, OutputSink& sink) {
  TJPEGImage picture = ReadJpegFile(source);
  const TargetSize size = ResizedSize(picture.width(), picture.height(), n);
  Bitmap24 target(size.width, size.height);
  if (method == ResizeMethod::Normal) {
    Raster decoded = TakeJpegRaster(picture);
    FastStretch(decoded, target, Rect{0, 0, size.width, size.height});
  } else {
    // Each decoded band goes through the first resampling pass at once, so the full-size picture
    // is never held in memory; the bytes are those of resampling the whole decoded picture.
    const FilterEntry& lanczos = Lanczos3Entry();
    RowResampler resampler(picture.width(), picture.height(), size.width, size.height,
                           lanczos.function, lanczos.support);
    DecodeJpegRows(picture, [&](const std::uint8_t* rows, std::size_t stride, int first,
                                int count) { resampler.AddRows(rows, stride, first, count); });
    resampler.Finish(target);
  }
  SetJpegRaster(picture, std::move(target));
  picture.Quality = quality;
  WriteJpegFile(picture, output, sink);
}

void ResizeBmp(const std::filesystem::path& source, const std::filesystem::path& output,
               ResizeMethod method, int n, OutputSink& sink) {
  Raster picture = ReadBmpFile(source);
  const TargetSize size = ResizedSize(RasterWidth(picture), RasterHeight(picture), n);
  const Bitmap24 target = Scale(picture, size, method);
  WriteBmpFile(target, output, sink);
}

}  // namespace

TargetSize ResizedSize(int width, int height, int n) {
  if (n < 1) {
    throw Exception("Invalid size " + std::to_string(n) +
                    ": the longer side must be at least 1 pixel");
  }
  const int longer = width < height ? height : width;
  if (longer <= 0) throw Exception("Floating point division by zero");
  const double factor = static_cast<double>(n) / longer;
  // nearbyint rounds in the default mode: to nearest, ties to even.
  const double w = std::nearbyint(width * factor);
  const double h = std::nearbyint(height * factor);
  CheckPictureSize(static_cast<std::int64_t>(w), static_cast<std::int64_t>(h));
  return TargetSize{w < 1 ? 1 : static_cast<int>(w), h < 1 ? 1 : static_cast<int>(h)};
}

void ResizeFile(const std::filesystem::path& source, const std::filesystem::path& output,
                ImageFormat format, ResizeMethod method, int n, int jpegQuality, OutputSink& sink) {
  if (n < 1) ResizedSize(1, 1, n);  // refuse a bad size before reading anything
  switch (format) {
    case ImageFormat::Gif:
      return ResizeGif(source, output, method, n, sink);
    case ImageFormat::Jpeg:
      return ResizeJpeg(source, output, method, n, jpegQuality, sink);
    case ImageFormat::Bmp:
      return ResizeBmp(source, output, method, n, sink);
  }
}

}  // namespace pixtrel
