#pragma once
// The taps of one resampling direction: for every target index, the source indices (reflected
// into the source) and unnormalised weights of the filter, built once and shared by every row or
// column of the pass.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/FilterTable.h"

namespace pixtrel {

struct Tap {
  std::int32_t index;  // source index, always within [0, source length)
  float weight;        // never exactly 0
};

// The taps of one target index, in order of increasing unreflected source position.
struct TapList {
  std::int32_t count;
  const Tap* taps;
};

// (D - 1) / (S - 1) as a float; D / S when S = 1 or when the first rule gives 0 (D = 1).
float ScaleFactor(int sourceLength, int targetLength);

// Mirrors an index into [0, length): -1 maps to 1 (edge pixel 0 not repeated), length maps to
// length - 1 (edge pixel repeated), and indices further out keep mirroring at both edges.
std::int32_t ReflectIndex(std::int64_t j, int length);

// Throws when support cannot be a filter radius (negative, infinite or not a number).
void CheckSupport(float support);

class TapLists {
 public:
  // Both lengths at least 1. Throws std::bad_alloc when the lists would be unreasonably large.
  TapLists(int sourceLength, int targetLength, FilterFunction filter, float support);

  int size() const { return static_cast<int>(start_.size()) - 1; }
  TapList operator[](int i) const {
    return {static_cast<std::int32_t>(start_[i + 1] - start_[i]), taps_.data() + start_[i]};
  }
  // Plain views for the pixel kernels.
  const Tap* taps() const { return taps_.data(); }
  const std::size_t* starts() const { return start_.data(); }

 private:
  std::vector<Tap> taps_;
  std::vector<std::size_t> start_;  // list i is taps_[start_[i], start_[i + 1])
};

}  // namespace pixtrel
