// The irot and imir transforms avifenc can write: the picture comes upright by default and as
// stored with upright false, while the probe reports the stored size.
#include <gtest/gtest.h>

#include "codecs/heif/HeifFile.h"
#include "tests/heif/HeifTools.h"

namespace pixtrel::test {
namespace {

struct Transform {
  int quarters;  // anticlockwise, -1: no irot property
  int mirror;    // imir mode, -1: no imir property
};

class HeifOrientation : public ::testing::TestWithParam<Transform> {};

TEST_P(HeifOrientation, UprightUnlessAskedNotTo) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  const Transform t = GetParam();
  TempFolder folder;
  const Bitmap24 source = TestPattern(24, 14, 11);
  std::vector<std::string> options{"-l"};
  if (t.quarters >= 0) options.insert(options.end(), {"--irot", std::to_string(t.quarters)});
  if (t.mirror >= 0) options.insert(options.end(), {"--imir", std::to_string(t.mirror)});
  const Bytes file = Encode(folder, "avifenc", options, WriteSourcePng(folder, source), "t.avif");
  ASSERT_FALSE(file.empty());

  const Bitmap24 expected = Transformed(source, std::max(t.quarters, 0), t.mirror);
  EXPECT_EQ(MaxDifference(ToBitmap24(ReadHeifBytes(file).raster), expected), 0);
  EXPECT_EQ(MaxDifference(ToBitmap24(ReadHeifBytes(file, false).raster), source), 0);
  const auto size = ProbeHeif(file);
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->width, 24);
  EXPECT_EQ(size->height, 14);
}

INSTANTIATE_TEST_SUITE_P(AvifTransforms, HeifOrientation,
                         ::testing::Values(Transform{0, -1}, Transform{1, -1}, Transform{2, -1},
                                           Transform{3, -1}, Transform{-1, 0}, Transform{-1, 1},
                                           Transform{1, 0}, Transform{1, 1}, Transform{3, 0},
                                           Transform{2, 1}));

}  // namespace
}  // namespace pixtrel::test
