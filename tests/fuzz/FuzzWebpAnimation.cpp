// Fuzz target: every frame of a WebP animation read, written back, resized and turned (see
// AnimationRoundTrip.h).
#include "tests/fuzz/AnimationRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return pixtrel::fuzz::PlayAnimation(data, size, *pixtrel::RowForKey("webp"));
}
