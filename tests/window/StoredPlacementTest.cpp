// The main window's stored place and size brought onto the screen: a size larger than the screen
// is cut to it, a corner above or left of every screen (where the title bar could not be
// reached) is moved in, a corner on a screen is kept. Two screens: 1280 x 1024 and 1024 x 768 to
// its right; the offscreen platform draws a frame of a few pixels around each window, which
// counts as the window manager's would.
#include <QTest>

#include "tests/window/WindowTestSupport.h"

namespace pixtrel::test {
namespace {

class StoredPlacementTest : public ::testing::Test {
 protected:
  // Starts the window with these stored values; its inside and its frame then.
  void Start(const char* top, const char* left, const char* width, const char* height) {
    Store("x", top);
    Store("y", left);
    Store("w", width);
    Store("h", height);
    Store("preview", "0");
    auto window = StartWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Timer2->isActive(); }, 5000));
    inside = window->geometry();
    frame = window->frameGeometry();
  }
  WindowEnvironment environment;
  QRect inside, frame;
};

const QRect kFirst(0, 0, 1280, 1024), kSecond(1280, 0, 1024, 768);

TEST_F(StoredPlacementTest, AHugeSizeIsCutToTheScreen) {
  Start("0", "0", "100000", "100000");
  EXPECT_EQ(frame, kFirst);
  Start("100", "1400", "2147483647", "900");
  EXPECT_EQ(frame, kSecond);
}

TEST_F(StoredPlacementTest, ACornerOffTheScreenIsMovedOntoIt) {
  // Above and left of the screen: the title bar would be out of reach.
  Start("-50", "-80", "800", "600");
  EXPECT_EQ(frame.topLeft(), QPoint(0, 0));
  EXPECT_EQ(inside.size(), QSize(800, 600));
  Start("-30", "300", "800", "600");
  EXPECT_EQ(frame.top(), 0);
  EXPECT_EQ(inside.left(), 300);
  Start("500", "-200", "800", "600");
  EXPECT_EQ(frame.left(), 0);
  EXPECT_EQ(inside.top(), 424);
  // Above the second screen: onto it.
  Start("-40", "1500", "800", "600");
  EXPECT_EQ(frame.top(), 0);
  EXPECT_EQ(inside.left(), 1500);
  // Out of reach altogether: the first-run place.
  Start("-2000", "100", "800", "600");
  EXPECT_EQ(inside, QRect(153, 104, 800, 600));
}

TEST_F(StoredPlacementTest, ACornerOnAScreenIsKept) {
  Start("300", "50", "900", "700");
  EXPECT_EQ(inside, QRect(50, 300, 900, 700));
  Start("20", "1300", "800", "600");
  EXPECT_EQ(inside, QRect(1300, 20, 800, 600));
  // Hanging over the right and the bottom edge, where the user may have pushed it.
  Start("900", "1000", "800", "600");
  EXPECT_EQ(inside, QRect(1000, 900, 800, 600));
}

}  // namespace
}  // namespace pixtrel::test
