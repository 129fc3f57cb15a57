#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

#include "codecs/webp/WebpAnimation.h"
#include "codecs/webp/WebpChunks.h"
#include "core/Errors.h"

namespace pixtrel {
namespace {

// The longest duration a WebP frame can state, in milliseconds (24 bits).
constexpr int kMaxWebpDuration = (1 << 24) - 1;

[[noreturn]] void Fail(const std::string& reason) {
  throw Exception("WebP error: " + reason);
}

struct EncoderDelete {
  void operator()(WebPAnimEncoder* encoder) const { WebPAnimEncoderDelete(encoder); }
};
struct PictureGuard {
  WebPPicture picture;
  ~PictureGuard() { WebPPictureFree(&picture); }
};
struct DataGuard {
  WebPData data;
  ~DataGuard() { WebPDataClear(&data); }
};

// The frame's canvas as BGRA bytes without padding (opaque where it has no alpha plane).
std::vector<std::uint8_t> BgraOf(const AnimationFrame& frame, int width, int height) {
  const Bitmap24& colours = std::get<Bitmap24>(frame.canvas.raster);
  const std::uint8_t* alpha = frame.canvas.alpha ? frame.canvas.alpha->data() : nullptr;
  std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = colours.row(y);
    std::uint8_t* out = bgra.data() + static_cast<std::size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x, in += 3, out += 4) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
      out[3] = alpha ? alpha[static_cast<std::size_t>(y) * width + x] : 255;
    }
  }
  return bgra;
}

WebPConfig ConfigFor(const WebpSettings& settings) {
  if (settings.quality < 0 || settings.quality > 100) Fail("quality must be 0 to 100");
  WebPConfig config;
  if (!WebPConfigInit(&config)) Fail("cannot encode the animation");
  // As a still WebP is written.
  config.lossless = settings.lossless ? 1 : 0;
  config.quality = settings.lossless ? 75.0f : static_cast<float>(settings.quality);
  config.exact = settings.lossless ? 1 : 0;
  config.thread_level = 0;
  if (!WebPValidateConfig(&config)) Fail("cannot encode the animation");
  return config;
}

}  // namespace

std::vector<std::uint8_t> EncodeWebpAnimation(const AnimatedPicture& animation,
                                              const PictureMetadata& metadata,
                                              const WebpSettings& settings) {
  CheckAnimationFrames(animation);
  const int width = animation.width, height = animation.height;
  if (width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION) {
    Fail("picture too large (a side may have at most " + std::to_string(WEBP_MAX_DIMENSION) +
         " pixels)");
  }
  const WebPConfig config = ConfigFor(settings);
  WebPAnimEncoderOptions options;
  if (!WebPAnimEncoderOptionsInit(&options)) Fail("cannot encode the animation");
  options.anim_params.loop_count = std::min(animation.plays, 0xFFFF);
  std::unique_ptr<WebPAnimEncoder, EncoderDelete> encoder(
      WebPAnimEncoderNew(width, height, &options));
  if (!encoder) Fail("out of memory");

  long long timestamp = 0;
  for (const AnimationFrame& frame : animation.frames) {
    const std::vector<std::uint8_t> bgra = BgraOf(frame, width, height);
    PictureGuard picture;
    if (!WebPPictureInit(&picture.picture)) Fail("cannot encode the animation");
    picture.picture.use_argb = 1;
    picture.picture.width = width;
    picture.picture.height = height;
    if (!WebPPictureImportBGRA(&picture.picture, bgra.data(), width * 4)) Fail("out of memory");
    if (!WebPAnimEncoderAdd(encoder.get(), &picture.picture, static_cast<int>(timestamp),
                            &config)) {
      Fail("cannot encode an animation frame");
    }
    timestamp += std::min(frame.delayMs, kMaxWebpDuration);
    if (timestamp > INT_MAX) Fail("animation too long");
  }
  if (!WebPAnimEncoderAdd(encoder.get(), nullptr, static_cast<int>(timestamp), nullptr))
    Fail("cannot encode the animation");
  DataGuard assembled;
  WebPDataInit(&assembled.data);
  if (!WebPAnimEncoderAssemble(encoder.get(), &assembled.data)) Fail("cannot assemble the file");
  return WithWebpMetadata(
      std::vector<std::uint8_t>(assembled.data.bytes, assembled.data.bytes + assembled.data.size),
      metadata);
}

}  // namespace pixtrel
