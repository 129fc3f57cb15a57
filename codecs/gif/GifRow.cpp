// GIF's row in the registry.
#include "codecs/AnimationCodec.h"
#include "codecs/FormatRow.h"
#include "codecs/gif/GifAnimation.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/gif/GifPicture.h"
#include "codecs/gif/GifProbe.h"
#include "codecs/gif/GifQuantizer.h"
#include "codecs/gif/GifRebuild.h"

namespace pixtrel {
namespace {

DecodedPicture Decode(std::span<const std::uint8_t> bytes, bool) {
  return DecodeGifPicture(bytes);
}

Bytes Encode(EncodeJob& job) {
  TGIFImage gif;
  const auto* truecolour = std::get_if<Bitmap24>(&job.raster);
  // A colour-index picture keeps its table, unless it comes with an alpha plane its table cannot
  // say (EncodePicture hands on a one-index transparency as transparentIndex).
  if (job.settings.ownPalette && (truecolour || job.alpha)) {
    const Bitmap24 expanded = truecolour ? Bitmap24() : ToBitmap24(job.raster);
    const QuantizedPicture quantized =
        QuantizeForGif(truecolour ? *truecolour : expanded, job.alpha, job.settings.dither);
    SetGifRaster(gif, quantized.indices);
    SetGifTransparentIndex(gif, quantized.transparentIndex);
    return EncodeGif(gif);
  }
  SetGifRaster(gif, job.raster);
  SetGifTransparentIndex(gif, job.transparentIndex);
  return EncodeGif(gif);
}

// A GIF carries no blocks we keep; its rebuild leaves its comments and extensions behind.
std::optional<Bytes> Rebuild(std::span<const std::uint8_t> bytes, const PictureMetadata&) {
  return RebuildGif(bytes);
}

class GifFile final : public IndexedFile {
 public:
  explicit GifFile(TGIFImage picture) : picture_(std::move(picture)) {}

  int width() const override { return picture_.width(); }
  int height() const override { return picture_.height(); }

  std::optional<PaletteBitmap> wholeScreenIndices() const override {
    if (picture_.images.empty()) return std::nullopt;
    const TGIFSubImage& frame = picture_.images.front();
    if (frame.empty() || frame.left != 0 || frame.top != 0 || frame.width != width() ||
        frame.height != height() ||
        frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height) {
      return std::nullopt;
    }
    return FramePaletteBitmap(picture_, frame);
  }

  int transparentIndex() const override {
    return picture_.images.empty() ? -1 : picture_.images.front().transparentIndex();
  }

  Raster firstFrame() const override { return GifFrameRaster(picture_); }

  void draw(Bitmap24& target, const Rect& rect) const override {
    DrawGifFrame(picture_, target, rect);
  }

  Bytes rewrite(const Raster& raster, int transparentIndex) override {
    SetGifRaster(picture_, raster);
    SetGifTransparentIndex(picture_, transparentIndex);
    return EncodeGif(picture_);
  }

 private:
  TGIFImage picture_;
};

std::unique_ptr<IndexedFile> OpenIndexed(std::span<const std::uint8_t> bytes) {
  return std::make_unique<GifFile>(DecodeGif(bytes));
}

Bytes EncodeAnimation(const AnimatedPicture& animation, const PictureMetadata&,
                      const EncodeSettings&) {
  return EncodeGifAnimation(animation);
}

const AnimationCodec kAnimation{CountGifFrames, DecodeGifAnimation, EncodeAnimation};

}  // namespace

const FormatRow& GifRow() {
  static const FormatRow row{
      .key = "gif",
      .title = "GIF",
      .name = "GIF",
      .extensions = {".gif"},
      .mimeTypes = {"image/gif"},
      .resizeRank = 1,
      .keepsPalette = true,
      .keepsTransparentIndex = true,
      .animated = true,
      .lossless = LosslessWhen::Always,
      .probe = ProbeGif,
      .decode = Decode,
      .encode = Encode,
      .rebuild = Rebuild,
      .openIndexed = OpenIndexed,
      .animation = &kAnimation,
  };
  return row;
}

}  // namespace pixtrel
