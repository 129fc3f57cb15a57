#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>
#include <string>

#include "codecs/webp/WebpAnimation.h"
#include "codecs/webp/WebpAnimationDecoder.h"
#include "codecs/webp/WebpChunks.h"
#include "core/BgraSplit.h"
#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

[[noreturn]] void Fail(const std::string& reason) {
  throw Exception("WebP error: " + reason);
}

struct DemuxDelete {
  void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

// The canvas libwebp composed, as BGRA bytes without padding.
DecodedPicture CanvasOf(const std::uint8_t* bgra, int width, int height) {
  DecodedPicture canvas;
  Bitmap24 colours = Bitmap24::Uninitialised(width, height);
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    SplitBgraRow(bgra + static_cast<std::size_t>(y) * width * 4, width, colours.row(y),
                 alpha.data() + static_cast<std::size_t>(y) * width);
  }
  canvas.raster = std::move(colours);
  canvas.alpha = std::move(alpha);
  DropOpaqueAlpha(canvas);
  return canvas;
}

AnimatedPicture StillAsAnimation(std::span<const std::uint8_t> bytes) {
  DecodedPicture picture = ReadWebpBytes(bytes);
  AnimatedPicture animation;
  animation.width = RasterWidth(picture.raster);
  animation.height = RasterHeight(picture.raster);
  animation.plays = 1;
  animation.lossless = picture.lossless;
  animation.metadata = std::move(picture.metadata);
  AnimationFrame& frame = animation.frames.emplace_back();
  frame.canvas.raster = ToBitmap24(std::move(picture.raster));
  frame.canvas.alpha = std::move(picture.alpha);
  DropOpaqueAlpha(frame.canvas);
  return animation;
}

// Durations and whether every frame's bitstream is lossless, from the demuxer.
void ReadFrameFacts(const WebPDemuxer* demux, int frames, AnimatedPicture& animation) {
  animation.lossless = true;
  for (int i = 1; i <= frames; ++i) {
    WebPIterator frame;
    if (!WebPDemuxGetFrame(demux, i, &frame)) Fail("damaged animation frame");
    WebPBitstreamFeatures features;
    const bool lossless =
        WebPGetFeatures(frame.fragment.bytes, frame.fragment.size, &features) == VP8_STATUS_OK &&
        features.format == 2;
    animation.lossless = animation.lossless && lossless;
    animation.frames[static_cast<std::size_t>(i - 1)].delayMs = frame.duration;
    WebPDemuxReleaseIterator(&frame);
  }
}

}  // namespace

AnimatedPicture DecodeWebpAnimation(std::span<const std::uint8_t> bytes) {
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
  if (status != VP8_STATUS_OK || !features.has_animation) return StillAsAnimation(bytes);

  const WebPData data{bytes.data(), bytes.size()};
  std::unique_ptr<WebPDemuxer, DemuxDelete> demux(WebPDemux(&data));
  if (!demux) Fail("damaged file structure");
  const int width = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
  const int height = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
  const int frames = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT));
  // Before the decoder allocates its two canvases and we keep one per frame.
  CheckAnimationSize(width, height, frames, static_cast<std::int64_t>(bytes.size()));
  if (width <= 0 || height <= 0) Fail("empty picture");
  if (frames <= 0) Fail("animation without frames");

  AnimatedPicture animation;
  animation.width = width;
  animation.height = height;
  animation.plays = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_LOOP_COUNT));
  animation.frames.resize(static_cast<std::size_t>(frames));
  ReadFrameFacts(demux.get(), frames, animation);

  const AnimationDecoder decoder = OpenAnimationDecoder(data);
  for (AnimationFrame& frame : animation.frames) {
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas)
      Fail("damaged animation frame");
    frame.canvas = CanvasOf(canvas, width, height);
  }
  animation.metadata = ReadWebpMetadata(bytes);
  return animation;
}

int CountWebpFrames(std::span<const std::uint8_t> bytes) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) return 0;
  if (!features.has_animation) return 1;
  const WebPData data{bytes.data(), bytes.size()};
  std::unique_ptr<WebPDemuxer, DemuxDelete> demux(WebPDemux(&data));
  return demux ? static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT)) : 0;
}

}  // namespace pixtrel
