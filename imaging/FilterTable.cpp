#include "imaging/FilterTable.h"

#include <cmath>
#include <numbers>

namespace pixtrel {
namespace {

// Every expression is evaluated in double; a float() cast marks each point where the weight
// definition rounds to 32 bits. Nothing else rounds to float.
double Abs(float x) {
  return std::fabs(static_cast<double>(x));
}

}  // namespace

float BoxFilter(float x) {
  return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

float TriangleFilter(float x) {
  const double t = Abs(x);
  return t < 1.0 ? static_cast<float>(1.0 - t) : 0.0f;
}

float HermiteFilter(float x) {
  const double t = Abs(x);
  return t < 1.0 ? static_cast<float>((2.0 * t - 3.0) * (t * t) + 1.0) : 0.0f;
}

float BellFilter(float x) {
  const double t = Abs(x);
  if (t < 0.5) return static_cast<float>(0.75 - t * t);
  if (t < 1.5) {
    const double u = static_cast<float>(t - 1.5);
    return static_cast<float>(0.5 * (u * u));
  }
  return 0.0f;
}

float BSplineFilter(float x) {
  const double t = Abs(x);
  if (t < 1.0) {
    const double tt = static_cast<float>(t * t);
    return static_cast<float>(0.5 * tt * t - tt + 2.0 / 3.0);
  }
  if (t < 2.0) {
    const double u = static_cast<float>(2.0 - t);
    return static_cast<float>(u * u * u / 6.0);
  }
  return 0.0f;
}

float Sinc(float x) {
  if (x == 0.0f) return 1.0f;
  const double px = static_cast<float>(std::numbers::pi * static_cast<double>(x));
  return static_cast<float>(std::sin(px) / px);
}

float Lanczos3Filter(float x) {
  const double t = Abs(x);
  if (!(t < 3.0)) return 0.0f;
  const float third = static_cast<float>(t / 3.0);
  return static_cast<float>(static_cast<double>(Sinc(static_cast<float>(t))) *
                            static_cast<double>(Sinc(third)));
}

float MitchellFilter(float x) {
  // The Mitchell-Netravali cubic with B = C = 1/3.
  const double t = Abs(x);
  if (!(t < 2.0)) return 0.0f;
  const double tt = static_cast<float>(t * t);
  const double p =
      t < 1.0 ? static_cast<float>(7.0 * tt * t - 12.0 * tt + 16.0 / 3.0)
              : static_cast<float>(-(7.0 / 3.0) * tt * t + 12.0 * tt - 20.0 * t + 32.0 / 3.0);
  return static_cast<float>(p / 6.0);
}

const std::array<FilterEntry, 7> FilterTable = {{
    {"Box", BoxFilter, 0.5f},
    {"Triangle", TriangleFilter, 1.0f},
    {"Hermite", HermiteFilter, 1.0f},
    {"Bell", BellFilter, 1.5f},
    {"B-Spline", BSplineFilter, 2.0f},
    {"Lanczos3", Lanczos3Filter, 3.0f},
    {"Mitchell", MitchellFilter, 2.0f},
}};

}  // namespace pixtrel
