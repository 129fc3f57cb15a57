// The target file size search: the highest quality that fits, in at most 8 encodes, and smaller
// pictures when even the lowest quality does not fit.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Errors.h"
#include "operations/FitToSize.h"

namespace pixtrel {
namespace {

// An encoder whose output grows with quality and with the pixels, as real ones do.
struct FakeEncoder {
  int width = 1000, height = 800;
  double bytesPerPixelAtQuality100 = 0.5;
  int encodes = 0;
  std::size_t fixed = 0;  // what every file carries (headers, metadata)
  Bytes operator()(int quality, double scale) {
    ++encodes;
    const double pixels = ScaledSide(width, scale) * double(ScaledSide(height, scale));
    return Bytes(fixed + static_cast<std::size_t>(pixels * bytesPerPixelAtQuality100 *
                                                  (0.1 + 0.9 * quality / 100.0)));
  }
};

TEST(FitToSize, FindsTheHighestFittingQualityInAtMostEightEncodes) {
  for (const std::int64_t limit : {400000, 399999, 300000, 200000, 100000, 60000, 58000, 57000}) {
    for (const int start : {100, 89, 50, 10}) {
      FakeEncoder encoder;
      const FittedOutput out =
          EncodeWithin(limit, start, 1000, 800, [&](int q, double s) { return encoder(q, s); });
      SCOPED_TRACE(std::to_string(limit) + " from " + std::to_string(start));
      EXPECT_LE(static_cast<std::int64_t>(out.bytes.size()), limit);
      if (out.scale == 1.0) {
        EXPECT_LE(out.quality, start);
        // The next quality up would not have fitted (or is above the one asked for).
        FakeEncoder check;
        if (out.quality < start)
          EXPECT_GT(static_cast<std::int64_t>(check(out.quality + 1, 1).size()), limit);
        EXPECT_LE(encoder.encodes, 8);
      }
    }
  }
}

TEST(FitToSize, ShrinksAtTheLowestQualityWhenNothingElseFits) {
  FakeEncoder encoder;
  const FittedOutput out =
      EncodeWithin(20000, 89, 1000, 800, [&](int q, double s) { return encoder(q, s); });
  EXPECT_EQ(out.quality, kLowestFitQuality);
  EXPECT_LT(out.scale, 1.0);
  EXPECT_LE(out.bytes.size(), 20000u);
  // One 10 % step less would not have fitted.
  FakeEncoder check;
  EXPECT_GT(check(kLowestFitQuality, out.scale / 0.9).size(), 20000u);
}

TEST(FitToSize, AFileThatCannotFitAtAllIsRefused) {
  FakeEncoder encoder;
  encoder.fixed = 5000;  // say, a large EXIF block
  try {
    (void)EncodeWithin(4000, 89, 1000, 800, [&](int q, double s) { return encoder(q, s); });
    ADD_FAILURE() << "fitted";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Cannot fit in 4000 bytes");
  }
  EXPECT_LT(encoder.encodes, 100);
}

}  // namespace
}  // namespace pixtrel
