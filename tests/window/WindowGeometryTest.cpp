// The sizes and places the secondary windows compute: the preview's reduced size, the viewer's
// outer size, and places kept within reach of a screen.
#include <gtest/gtest.h>

#include "windows/PreviewSize.h"
#include "windows/ScreenPlacement.h"
#include "windows/Slikca.h"

namespace pixtrel::test {
namespace {

TEST(PreviewSizeTest, QuartersRoundHalvesToEven) {
  const int expected[][2] = {{0, 0},    {1, 0},     {2, 0},     {3, 1},     {5, 1},    {6, 2},
                             {7, 2},    {10, 2},    {14, 4},    {18, 4},    {22, 6},   {75, 19},
                             {300, 75}, {400, 100}, {401, 100}, {402, 100}, {406, 102}};
  for (const auto& [value, quarter] : expected)
    EXPECT_EQ(DivideHalfEven(value, 4), quarter) << value;
  EXPECT_EQ(DivideHalfEven(65500, 4), 16375);
  EXPECT_EQ(ReducedSize(QSize(400, 300), 4), QSize(100, 75));
  EXPECT_EQ(ReducedSize(QSize(2, 6), 4), QSize(0, 2));
}

TEST(PreviewSizeTest, FittingKeepsTheProportionsAndAtLeastOnePixel) {
  EXPECT_EQ(FitWithin(QSize(100, 75), QSize(640, 512)), QSize(100, 75));
  EXPECT_EQ(FitWithin(QSize(640, 512), QSize(640, 512)), QSize(640, 512));
  EXPECT_EQ(FitWithin(QSize(1000, 750), QSize(640, 512)), QSize(640, 480));
  EXPECT_EQ(FitWithin(QSize(700, 600), QSize(640, 512)), QSize(597, 512));
  EXPECT_EQ(FitWithin(QSize(16375, 2), QSize(640, 512)), QSize(640, 1));  // 0.08 is kept at 1
  EXPECT_EQ(FitWithin(QSize(0, 0), QSize(640, 512)), QSize(1, 1));
  EXPECT_EQ(FitWithin(QSize(0, 2), QSize(640, 512)), QSize(1, 2));
}

TEST(ViewerSizeTest, ThePictureAndItsMarginsOrTheScreenLessThem) {
  EXPECT_EQ(ViewerOuterSize(QSize(1024, 768), QSize(1280, 1024)), QSize(1033, 796));
  EXPECT_EQ(ViewerOuterSize(QSize(2000, 1500), QSize(1280, 1024)), QSize(1271, 996));
  // Only a screen that is larger counts as room.
  EXPECT_EQ(ViewerOuterSize(QSize(1280, 1024), QSize(1280, 1024)), QSize(1271, 996));
  EXPECT_EQ(ViewerOuterSize(QSize(1279, 100), QSize(1280, 1024)), QSize(1288, 128));
  EXPECT_EQ(ViewerOuterSize(QSize(100, 2000), QSize(1280, 1024)), QSize(109, 996));
  EXPECT_EQ(ViewerTitle("View image", QSize(1024, 768)), "View image - 1024x768");
}

TEST(ScreenPlacementTest, PlacesWithinReachStayAndOthersMoveOntoTheNearestScreen) {
  const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)};
  const QSize size(141, 89);
  auto place = [&](int left, int top) { return ReachablePlace(QRect({left, top}, size), screens); };
  EXPECT_EQ(place(700, 200), QPoint(700, 200));
  EXPECT_EQ(place(2000, 600), QPoint(2000, 600));     // on the second screen
  EXPECT_EQ(place(-100, 980), QPoint(-100, 980));     // 41 x 44 pixels show
  EXPECT_EQ(place(-102, 980), QPoint(0, 1024 - 89));  // 39 pixels are too few
  EXPECT_EQ(place(5000, 100), QPoint(2304 - 141, 100));
  EXPECT_EQ(place(2000, 900), QPoint(2000, 768 - 89));  // below the smaller screen
  EXPECT_EQ(place(1200, 2000), QPoint(1280 - 141, 1024 - 89));
  EXPECT_EQ(place(-3000, -3000), QPoint(0, 0));
  EXPECT_EQ(ReachablePlace(QRect(5000, 5000, 10, 10), {}), QPoint(5000, 5000));
  // A window smaller than the grab size needs to show whole.
  EXPECT_EQ(ReachablePlace(QRect(1270, 1014, 10, 10), screens), QPoint(1270, 1014));
  EXPECT_EQ(ReachablePlace(QRect(1275, 1020, 10, 10), screens), QPoint(1270, 1014));
  // Larger than the screen: its corner goes inside.
  EXPECT_EQ(PlaceInside(QRect(-500, 300, 2000, 300), QRect(0, 0, 1280, 1024)), QPoint(0, 300));
}

}  // namespace
}  // namespace pixtrel::test
