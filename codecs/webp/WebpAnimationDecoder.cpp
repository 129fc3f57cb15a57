#include "codecs/webp/WebpAnimationDecoder.h"

#include "core/Errors.h"

namespace pixtrel {

AnimationDecoder OpenAnimationDecoder(const WebPData& data) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options))
    throw Exception("WebP error: cannot decode the animation");
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  AnimationDecoder decoder(WebPAnimDecoderNew(&data, &options));
  if (!decoder) throw Exception("WebP error: damaged animation");
  return decoder;
}

}  // namespace pixtrel
