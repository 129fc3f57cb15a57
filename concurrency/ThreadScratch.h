#pragma once
// Scratch memory kept per thread, so work split into many small parts does not allocate for
// each part.
#include <cstddef>
#include <vector>

namespace pixtrel {

// At least `count` floats owned by the calling thread; valid until its next call on this thread.
inline float* ThreadScratchFloats(std::size_t count) {
  thread_local std::vector<float> scratch;
  if (scratch.size() < count) scratch.resize(count);
  return scratch.data();
}

}  // namespace pixtrel
