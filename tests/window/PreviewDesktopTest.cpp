// The preview window under a real window manager (openbox on a private Xvfb desktop of 1280 x
// 800): its first place beside the main window, clear of the tabs, and a preview that grows
// near the screen's corner staying on the screen. The parent test starts the desktop and runs
// the PreviewDesktopChild tests of this same program on it, on Qt's xcb platform.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/PageControl.h"
#include "tests/support/XDesktop.h"
#include "tests/window/ViewsTestSupport.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/PreviewForm.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

// Sets an environment variable for the object's life.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(PreviewDesktop, PlacesAndEdgesUnderOpenbox) {
  XDesktop desktop(1280, 800);
  if (desktop.noServer()) GTEST_SKIP() << desktop.problem();
  ASSERT_EQ(desktop.problem(), "");
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  ScopedVariable display("DISPLAY", desktop.display());
  ScopedVariable platform("QT_QPA_PLATFORM", "xcb");
  ScopedVariable child("PIXTREL_DESKTOP_CHILD", "1");
  const RunResult run = RunProgram({self, "--gtest_filter=PreviewDesktopChild.*"}, {}, 240);
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("[  PASSED  ] 3 tests"), std::string::npos) << run.out;
}

// The rest runs inside the child, on the desktop.
class PreviewDesktopChild : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    WriteTestJpeg(folder / "wide.jpg", 400, 300, 1);
    WriteTestJpeg(folder / "huge.jpg", 2800, 2400, 5);
    Store("Start", Q(folder));
  }

  // Lets the window manager settle the frames: until the frame stays the same for a while.
  static void Settle(QWidget* window) {
    QRect last;
    int steady = 0;
    for (int i = 0; i < 100 && steady < 5; ++i) {
      QTest::qWait(40);
      const QRect now = window->frameGeometry();
      steady = now == last ? steady + 1 : 0;
      last = now;
    }
  }

  QRect Usable() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
};

TEST_F(PreviewDesktopChild, TheFirstPlaceIsBesideTheMainWindowClearOfItsTabs) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  window = StartWindow();
  WaitForStartUp(*window);
  ASSERT_TRUE(window->PreviewForm->isVisible());
  Settle(window->PreviewForm);
  Settle(window.get());
  const QRect main = window->frameGeometry();
  const QRect preview = window->PreviewForm->frameGeometry();
  const QRect tabs(window->PageControl1->tabStrip()->mapToGlobal(QPoint(0, 0)),
                   window->PageControl1->tabStrip()->size());
  EXPECT_FALSE(preview.intersects(tabs)) << "preview " << preview.x() << "," << preview.y();
  EXPECT_FALSE(preview.intersects(main))
      << "preview " << preview.x() << "," << preview.y() << " main " << main.x() << "," << main.y();
  EXPECT_TRUE(Usable().contains(preview)) << preview.x() << "," << preview.y();
  EXPECT_GT(preview.left(), main.right());
}

TEST_F(PreviewDesktopChild, APreviewGrowingNearTheCornerStaysOnTheScreen) {
  Store("preview_x", "600");   // the top edge, 200 pixels above the screen's bottom
  Store("preview_y", "1030");  // the left edge, 250 pixels from the right
  window = StartWindow();
  WaitForStartUp(*window);
  TPreviewForm* preview = window->PreviewForm;
  ASSERT_TRUE(preview->isVisible());
  Settle(preview);
  const QRect start = preview->frameGeometry();
  ASSERT_TRUE(Usable().contains(start))
      << start.x() << "," << start.y() << " " << start.width() << "x" << start.height() << " in "
      << Usable().width() << "x" << Usable().height();
  // A quarter of 2800 x 2400 is more than half the 1280 x 800 screen (467 x 400), and moved
  // back onto the screen it would cover the main window: it takes the corner's room instead.
  ClickListEntry(*window, "huge.jpg");
  Settle(preview);
  const QRect frame = preview->frameGeometry();
  EXPECT_TRUE(Usable().contains(frame))
      << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
  EXPECT_FALSE(frame.intersects(window->frameGeometry()));
  EXPECT_LT(preview->width(), 467);
}

TEST_F(PreviewDesktopChild, APreviewOpenedWithAGrownPictureStaysOnTheScreen) {
  Store("preview", "0");
  Store("preview_x", "600");
  Store("preview_y", "1030");
  window = StartWindow();
  WaitForStartUp(*window);
  ClickListEntry(*window, "huge.jpg");
  window->M12->trigger();
  TPreviewForm* preview = window->PreviewForm;
  Settle(preview);
  const QRect frame = preview->frameGeometry();
  EXPECT_TRUE(Usable().contains(frame))
      << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
  EXPECT_FALSE(frame.intersects(window->frameGeometry()));
}

}  // namespace
}  // namespace pixtrel::test
