// The size rules of the one-pass command: what each reads, the sizes and crops it gives, and
// what shrink-only leaves alone.
#include "imaging/SizeRule.h"

#include <gtest/gtest.h>

#include <random>

#include "core/Errors.h"
#include "imaging/TargetSize.h"

namespace pixtrel::test {
namespace {

std::string Sizes(const char* rule, int w, int h, bool shrinkOnly = false) {
  const SizeGeometry g = PlanSize(ParseSizeRule(rule), w, h, shrinkOnly);
  std::string text = std::to_string(g.width) + "x" + std::to_string(g.height);
  if (g.cropped(w, h)) {
    text += " crop " + std::to_string(g.cropWidth) + "x" + std::to_string(g.cropHeight) + "+" +
            std::to_string(g.cropLeft) + "+" + std::to_string(g.cropTop);
  }
  if (g.padded()) {
    text += " on " + std::to_string(g.canvasWidth) + "x" + std::to_string(g.canvasHeight) + "+" +
            std::to_string(g.left) + "+" + std::to_string(g.top);
  }
  return text;
}

std::string ParseError(const char* text) {
  try {
    (void)ParseSizeRule(text);
  } catch (const Exception& e) {
    return e.what();
  }
  return "no error";
}

TEST(SizeRule, EachRuleReadsAndWritesBack) {
  for (const char* text :
       {"none", "long:1600", "short:1080", "width:640", "height:480", "fit:800x600", "fill:300x300",
        "stretch:100x50", "pad:1080x1080", "percent:50"}) {
    EXPECT_EQ(SizeRuleText(ParseSizeRule(text)), text);
  }
}

TEST(SizeRule, MistakesAreNamed) {
  EXPECT_EQ(ParseError("huge:3"),
            "Unknown size \"huge:3\": expected none, long:N, short:N, width:N, height:N, "
            "fit:WxH, fill:WxH, stretch:WxH, pad:WxH or percent:P");
  EXPECT_EQ(ParseError("long"), "Unknown size \"long\": a number is missing after \":\"");
  EXPECT_EQ(ParseError("none:3"), "Unknown size \"none:3\": \"none\" takes no number");
  EXPECT_EQ(ParseError("fit:800"), "Unknown size \"fit:800\": expected a box as WIDTHxHEIGHT");
  for (const char* text : {"long:0", "long:-5", "long:12a", "long:", "long:65501", "fit:x600",
                           "fit:800x", "fit:800x0", "percent:0", "percent:10001", "long: 5"}) {
    EXPECT_NE(ParseError(text).find("expected a whole number from 1 to"), std::string::npos)
        << text;
  }
}

TEST(SizeRule, SidesBoxesAndPercentages) {
  // The longer side as the resize tabs make it, rounding half to even.
  EXPECT_EQ(Sizes("long:1600", 6000, 4000), "1600x1067");
  EXPECT_EQ(Sizes("long:1600", 3000, 4000), "1200x1600");
  const TargetSize tabs = ResizedSize(4033, 3025, 1000);
  EXPECT_EQ(Sizes("long:1000", 4033, 3025),
            std::to_string(tabs.width) + "x" + std::to_string(tabs.height));
  EXPECT_EQ(Sizes("short:1000", 6000, 4000), "1500x1000");
  EXPECT_EQ(Sizes("width:300", 4000, 3000), "300x225");
  EXPECT_EQ(Sizes("height:300", 4000, 3000), "400x300");
  EXPECT_EQ(Sizes("fit:800x800", 6000, 4000), "800x533");
  EXPECT_EQ(Sizes("fit:800x800", 3000, 6000), "400x800");
  EXPECT_EQ(Sizes("stretch:100x50", 640, 480), "100x50");
  // 50.5 and 25.5 round to the even neighbour.
  EXPECT_EQ(Sizes("percent:50", 101, 51), "50x26");
  EXPECT_EQ(Sizes("percent:200", 10, 7), "20x14");
  // No side ever becomes 0.
  EXPECT_EQ(Sizes("long:10", 5000, 2), "10x1");
  EXPECT_EQ(Sizes("none", 640, 480), "640x480");
}

TEST(SizeRule, FillCropsTheMiddleAndPadCentresOnTheCanvas) {
  EXPECT_EQ(Sizes("fill:300x300", 6000, 4000), "300x300 crop 4000x4000+1000+0");
  EXPECT_EQ(Sizes("fill:1600x900", 4000, 3000), "1600x900 crop 4000x2250+0+375");
  EXPECT_EQ(Sizes("pad:800x800", 6000, 4000), "800x533 on 800x800+0+133");
  EXPECT_EQ(Sizes("pad:800x800", 400, 1000), "320x800 on 800x800+240+0");
}

TEST(SizeRule, ShrinkOnlyLeavesSmallPicturesTheirSize) {
  EXPECT_EQ(Sizes("long:1600", 1000, 800, true), "1000x800");
  EXPECT_EQ(Sizes("long:1600", 2000, 800, true), "1600x640");
  EXPECT_EQ(Sizes("short:1600", 4000, 1000, true), "4000x1000");
  EXPECT_EQ(Sizes("width:800", 640, 4000, true), "640x4000");
  EXPECT_EQ(Sizes("height:800", 4000, 640, true), "4000x640");
  EXPECT_EQ(Sizes("fit:800x600", 640, 480, true), "640x480");
  EXPECT_EQ(Sizes("stretch:800x600", 640, 480, true), "640x480");
  EXPECT_EQ(Sizes("percent:150", 640, 480, true), "640x480");
  EXPECT_EQ(Sizes("fill:800x800", 640, 4000, true), "640x4000");
  // Pad still puts a small picture on its canvas, without enlarging it.
  EXPECT_EQ(Sizes("pad:800x800", 640, 480, true), "640x480 on 800x800+80+160");
}

TEST(SizeRule, FitAndFillStayInTheirBoxWhateverThePicture) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> side(1, 20000), box(1, 3000);
  for (int i = 0; i < 5000; ++i) {
    const int w = side(random), h = side(random), bw = box(random), bh = box(random);
    const std::string sizes = std::to_string(bw) + "x" + std::to_string(bh);
    const SizeGeometry fit = PlanSize(ParseSizeRule("fit:" + sizes), w, h, false);
    ASSERT_TRUE(fit.width <= bw && fit.height <= bh) << w << "x" << h << " fit " << sizes;
    ASSERT_TRUE(fit.width == bw || fit.height == bh) << w << "x" << h << " fit " << sizes;
    const SizeGeometry fill = PlanSize(ParseSizeRule("fill:" + sizes), w, h, false);
    ASSERT_EQ(fill.width, bw);
    ASSERT_EQ(fill.height, bh);
    ASSERT_TRUE(fill.cropWidth == w || fill.cropHeight == h) << w << "x" << h;
    ASSERT_TRUE(fill.cropLeft >= 0 && fill.cropTop >= 0 && fill.cropLeft + fill.cropWidth <= w &&
                fill.cropTop + fill.cropHeight <= h)
        << w << "x" << h << " fill " << sizes;
  }
}

TEST(SizeRule, ResultsBeyondThePictureLimitsAreRefused) {
  EXPECT_THROW(PlanSize(ParseSizeRule("percent:10000"), 20000, 20000, false), Exception);
  EXPECT_THROW(PlanSize(ParseSizeRule("width:65500"), 1, 60000, false), Exception);
  EXPECT_THROW(PlanSize(ParseSizeRule("long:100"), 0, 100, false), Exception);
}

}  // namespace
}  // namespace pixtrel::test
