// The streaming resampler: rows arriving in bands of any size give the bytes of resampling the
// whole picture, target rows are written as soon as their source rows are in, and rows skipped
// or sent again are handled as documented.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/FilterTable.h"
#include "imaging/ResampleBitmap.h"
#include "imaging/RowResampler.h"
#include "tests/support/TestSupport.h"

namespace pixtrel {
namespace {

const FilterEntry& kLanczos = Lanczos3Entry();

Bitmap24 Whole(const Bitmap24& source, int width, int height) {
  Bitmap24 target(width, height);
  ResampleBitmap(source, target, kLanczos.function, kLanczos.support);
  return target;
}

// Feeds the source's rows in bands of the given sizes, taken in turn.
Bitmap24 InBands(const Bitmap24& source, int width, int height, const std::vector<int>& bands) {
  Bitmap24 target(width, height);
  RowResampler resampler(source.width(), source.height(), target, kLanczos.function,
                         kLanczos.support);
  for (int y = 0, i = 0; y < source.height(); ++i) {
    const int count = std::min(bands[i % bands.size()], source.height() - y);
    resampler.AddRows(source.row(y), source.stride(), y, count);
    y += count;
  }
  resampler.Finish();
  return target;
}

TEST(RowResampler, BandsOfAnySizeGiveTheWholePicturesBytes) {
  const Bitmap24 source = test::TestPattern(300, 701, 7);
  const std::vector<std::vector<int>> feeds = {{1}, {7}, {16}, {128}, {129}, {701}, {5, 250, 3}};
  // Shrinking, enlarging, and a single target row that reads every source row.
  for (auto [width, height] : {std::pair{97, 211}, std::pair{410, 1203}, std::pair{30, 1}}) {
    const Bitmap24 expected = Whole(source, width, height);
    for (const auto& bands : feeds) {
      EXPECT_TRUE(SamePixels(InBands(source, width, height, bands), expected))
          << width << "x" << height << ", first band " << bands[0];
    }
  }
}

TEST(RowResampler, TargetRowsAreWrittenAsSoonAsTheirSourceRowsAreIn) {
  const Bitmap24 source = test::TestPattern(200, 600, 3);
  const Bitmap24 expected = Whole(source, 100, 300);
  Bitmap24 target(100, 300, 17);
  RowResampler resampler(200, 600, target, kLanczos.function, kLanczos.support);
  resampler.AddRows(source.data(), source.stride(), 0, 300);
  // Target row 100 reads source rows up to about 207, row 200 up to about 407.
  for (int y : {0, 100}) {
    EXPECT_EQ(std::memcmp(target.row(y), expected.row(y), 300), 0) << y;
  }
  EXPECT_EQ(test::PixelAt(target, 50, 200), (test::Bgr{17, 17, 17}));
  resampler.AddRows(source.row(300), source.stride(), 300, 300);
  resampler.Finish();
  EXPECT_TRUE(SamePixels(target, expected));
}

TEST(RowResampler, SkippedRowsAreBlackAndRowsSentAgainAreIgnored) {
  const Bitmap24 source = test::TestPattern(120, 400, 5);
  Bitmap24 holed = source;
  for (int y = 100; y < 400; ++y) {
    if (y < 250 || y >= 330) std::memset(holed.row(y), 0, holed.stride());
  }
  Bitmap24 target(60, 200);
  RowResampler resampler(120, 400, target, kLanczos.function, kLanczos.support);
  resampler.AddRows(source.data(), source.stride(), 0, 100);
  resampler.AddRows(holed.data(), holed.stride(), 0, 80);  // already in: ignored
  resampler.AddRows(source.row(250), source.stride(), 250, 80);
  resampler.AddRows(source.row(390), source.stride(), -5, 3);  // outside the source
  resampler.Finish();                                          // rows 330 on never came
  EXPECT_TRUE(SamePixels(target, Whole(holed, 60, 200)));
}

}  // namespace
}  // namespace pixtrel
