#include "codecs/AnimationCodec.h"
#include "codecs/gif/GifAnimation.h"
#include "codecs/webp/WebpAnimation.h"

namespace pixtrel {
namespace {

Bytes WriteGif(const AnimatedPicture& animation, const PictureMetadata&, const EncodeSettings&) {
  return EncodeGifAnimation(animation);
}

Bytes WriteWebp(const AnimatedPicture& animation, const PictureMetadata& metadata,
                const EncodeSettings& settings) {
  WebpSettings webp;
  webp.lossless = settings.lossless;
  webp.quality = settings.quality;
  return EncodeWebpAnimation(animation, metadata, webp);
}

}  // namespace

const AnimationCodec& GifAnimationCodec() {
  static const AnimationCodec codec{CountGifFrames, DecodeGifAnimation, WriteGif};
  return codec;
}

const AnimationCodec& WebpAnimationCodec() {
  static const AnimationCodec codec{CountWebpFrames, DecodeWebpAnimation, WriteWebp};
  return codec;
}

}  // namespace pixtrel
