// The main window's stored place and size brought onto the screen: a size larger than the screen
// is cut to it, a corner above or left of every screen (where the title bar could not be
// reached) is moved in, a corner on a screen is kept. Two screens: 1280 x 1024 and 1024 x 768 to
// its right.
#include <QTest>

#include "tests/window/WindowTestSupport.h"

namespace pixtrel::test {
namespace {

class StoredPlacementTest : public ::testing::Test {
 protected:
  // The window's inside after a start with these stored values.
  QRect StartedAt(const char* top, const char* left, const char* width, const char* height) {
    Store("x", top);
    Store("y", left);
    Store("w", width);
    Store("h", height);
    Store("preview", "0");
    auto window = StartWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Timer2->isActive(); }, 5000));
    return window->geometry();
  }
  WindowEnvironment environment;
};

TEST_F(StoredPlacementTest, AHugeSizeIsCutToTheScreen) {
  EXPECT_EQ(StartedAt("0", "0", "100000", "100000"), QRect(0, 0, 1280, 1024));
  EXPECT_EQ(StartedAt("100", "1400", "2147483647", "900"), QRect(1400, 100, 1024, 768));
}

TEST_F(StoredPlacementTest, ACornerOffTheScreenIsMovedOntoIt) {
  // Above and left of the screen: the title bar would be out of reach.
  EXPECT_EQ(StartedAt("-50", "-80", "800", "600"), QRect(0, 0, 800, 600));
  EXPECT_EQ(StartedAt("-30", "300", "800", "600"), QRect(300, 0, 800, 600));
  EXPECT_EQ(StartedAt("500", "-200", "800", "600"), QRect(0, 424, 800, 600));
  // Above the second screen: onto it.
  EXPECT_EQ(StartedAt("-40", "1500", "800", "600"), QRect(1500, 0, 800, 600));
  // Out of reach altogether: the first-run place.
  EXPECT_EQ(StartedAt("-2000", "100", "800", "600"), QRect(153, 104, 800, 600));
}

TEST_F(StoredPlacementTest, ACornerOnAScreenIsKept) {
  EXPECT_EQ(StartedAt("300", "50", "900", "700"), QRect(50, 300, 900, 700));
  EXPECT_EQ(StartedAt("20", "1300", "800", "600"), QRect(1300, 20, 800, 600));
  // Hanging over the right and the bottom edge, where the user may have pushed it.
  EXPECT_EQ(StartedAt("900", "1000", "800", "600"), QRect(1000, 900, 800, 600));
}

}  // namespace
}  // namespace pixtrel::test
