#pragma once
// The resampling filters: pure functions from a signed distance to a weight, each zero beyond its
// support. Every function rounds to float exactly where its comment in FilterTable.cpp says, so a
// weight is the same on every platform.
#include <array>

namespace pixtrel {

using FilterFunction = float (*)(float);

struct FilterEntry {
  const char* name;
  FilterFunction function;
  float support;  // radius in source pixels at scale 1 beyond which the function is zero
};

float BoxFilter(float x);
float TriangleFilter(float x);
float HermiteFilter(float x);
float BellFilter(float x);
float BSplineFilter(float x);
float Lanczos3Filter(float x);
float MitchellFilter(float x);

// sin(pi x) / (pi x) with pi x rounded to float first; 1 at 0.
float Sinc(float x);

// "Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell", in this order.
extern const std::array<FilterEntry, 7> FilterTable;

inline constexpr int kLanczos3Index = 5;

// The filter of the Better resize method.
inline const FilterEntry& Lanczos3Entry() {
  return FilterTable[kLanczos3Index];
}

}  // namespace pixtrel
