#pragma once
// libwebp's decoder of an animation's composed frames, as both the animation reader and the
// still reader (which takes the first frame) open it.
#include <webp/demux.h>

#include <memory>

namespace pixtrel {

struct AnimationDecoderDelete {
  void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
using AnimationDecoder = std::unique_ptr<WebPAnimDecoder, AnimationDecoderDelete>;

// Frames come as BGRA, decoded on the calling thread (the batch's workers are the threads).
// Throws "WebP error: ..." when libwebp will not take the data.
AnimationDecoder OpenAnimationDecoder(const WebPData& data);

}  // namespace pixtrel
