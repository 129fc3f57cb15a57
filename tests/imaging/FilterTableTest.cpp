// The filter table and its functions, checked against the formulas evaluated in long double.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "imaging/FilterTable.h"

namespace pixtrel {
namespace {

using Real = long double;

// The textbook formulas without any intermediate rounding.
Real ExactValue(int filter, Real x) {
  const Real t = std::fabs(x);
  const Real pi = std::numbers::pi_v<long double>;
  auto sinc = [&](Real v) { return v == 0 ? Real(1) : std::sin(pi * v) / (pi * v); };
  switch (filter) {
    case 0:
      return (x > -0.5L && x <= 0.5L) ? 1 : 0;
    case 1:
      return t < 1 ? 1 - t : 0;
    case 2:
      return t < 1 ? (2 * t - 3) * t * t + 1 : 0;
    case 3:
      return t < 0.5L ? 0.75L - t * t : t < 1.5L ? 0.5L * (t - 1.5L) * (t - 1.5L) : 0;
    case 4:
      return t < 1   ? 0.5L * t * t * t - t * t + 2.0L / 3
             : t < 2 ? (2 - t) * (2 - t) * (2 - t) / 6
                     : 0;
    case 5:
      return t < 3 ? sinc(t) * sinc(t / 3) : 0;
    case 6:
      return t < 1   ? (7 * t * t * t - 12 * t * t + 16.0L / 3) / 6
             : t < 2 ? (-(7.0L / 3) * t * t * t + 12 * t * t - 20 * t + 32.0L / 3) / 6
                     : 0;
  }
  return 0;
}

TEST(FilterTable, SevenFiltersInOrderWithTheirSupports) {
  const char* names[] = {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell"};
  const float supports[] = {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
  ASSERT_EQ(FilterTable.size(), 7u);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(std::string(FilterTable[i].name), names[i]);
    EXPECT_EQ(FilterTable[i].support, supports[i]);
  }
  EXPECT_EQ(std::string(Lanczos3Entry().name), "Lanczos3");
  EXPECT_EQ(Lanczos3Entry().function, &Lanczos3Filter);
  EXPECT_EQ(Lanczos3Entry().support, 3.0f);
}

TEST(FilterTable, ValuesFollowTheFormulasWithinFloatRounding) {
  // The rounding points move a value by a few float steps of the largest term (Mitchell's
  // polynomial cancels terms near 10 down to 1e-5); a wrong coefficient or branch moves it by far
  // more.
  for (int f = 0; f < 7; ++f) {
    for (int step = -4200; step <= 4200; ++step) {
      const float x = static_cast<float>(step) / 1000.0f + 0.000123f * (step % 7);
      const Real exact = ExactValue(f, x);
      const float got = FilterTable[f].function(x);
      const Real tolerance = 4 * std::numeric_limits<float>::epsilon() * std::fabs(exact) + 1e-5L;
      ASSERT_NEAR(static_cast<Real>(got), exact, tolerance) << FilterTable[f].name << " at " << x;
    }
  }
}

TEST(FilterTable, ZeroOutsideSupportAndSymmetric) {
  for (const FilterEntry& e : FilterTable) {
    for (float x : {e.support, e.support + 0.001f, e.support * 2, 100.0f}) {
      if (std::string(e.name) == "Box" && x == 0.5f) continue;  // closed on the right
      EXPECT_EQ(e.function(x), 0.0f) << e.name << " at " << x;
      EXPECT_EQ(e.function(-x), 0.0f) << e.name << " at " << -x;
    }
    for (float x = 0.013f; x < e.support; x += 0.0371f) {
      EXPECT_EQ(e.function(x), e.function(-x)) << e.name << " at " << x;
    }
  }
}

TEST(FilterTable, ExactValuesAtKnownPoints) {
  // Box is open on the left and closed on the right.
  EXPECT_EQ(BoxFilter(-0.5f), 0.0f);
  EXPECT_EQ(BoxFilter(0.5f), 1.0f);
  EXPECT_EQ(BoxFilter(0.0f), 1.0f);
  EXPECT_EQ(BoxFilter(std::nextafter(-0.5f, 0.0f)), 1.0f);
  EXPECT_EQ(BoxFilter(std::nextafter(0.5f, 1.0f)), 0.0f);

  EXPECT_EQ(TriangleFilter(0.25f), 0.75f);
  EXPECT_EQ(HermiteFilter(0.5f), 0.5f);
  EXPECT_EQ(BellFilter(0.0f), 0.75f);
  EXPECT_EQ(BellFilter(1.0f), 0.125f);
  EXPECT_EQ(BSplineFilter(0.0f), static_cast<float>(2.0 / 3.0));
  EXPECT_EQ(BSplineFilter(1.0f), static_cast<float>(1.0 / 6.0));
  EXPECT_EQ(MitchellFilter(0.0f), static_cast<float>(static_cast<float>(16.0 / 3.0) / 6.0));
  EXPECT_EQ(MitchellFilter(1.0f), static_cast<float>(static_cast<float>(1.0 / 3.0) / 6.0));
  EXPECT_EQ(Lanczos3Filter(0.0f), 1.0f);

  // pi x is rounded to float before the sine: sinc(1) is not exactly 0, and neither is the
  // Lanczos3 weight at a whole distance, which is why equal sizes still give tiny taps.
  const double pi1 = static_cast<float>(std::numbers::pi);
  EXPECT_EQ(Sinc(1.0f), static_cast<float>(std::sin(pi1) / pi1));
  EXPECT_NE(Sinc(1.0f), 0.0f);
  EXPECT_NE(Lanczos3Filter(1.0f), 0.0f);
  EXPECT_LT(std::fabs(Lanczos3Filter(1.0f)), 1e-7f);
  EXPECT_EQ(Lanczos3Filter(3.0f), 0.0f);
}

}  // namespace
}  // namespace pixtrel
