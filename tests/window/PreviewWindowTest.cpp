// The preview window: the start-up opening, quarter-size pictures from file-list clicks, the
// "Preview images" toggle, what closing stores, and places that round-trip exactly or lie off
// every screen.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "tests/window/ViewsTestSupport.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/PreviewForm.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

const QStringList kPreviewValues = {"preview", "preview_x", "preview_y"};

class PreviewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    WriteTestJpeg(folder / "wide.jpg", 400, 300, 1);
    WriteTestJpeg(folder / "odd.jpg", 6, 10, 2);
    WriteTestGif(folder / "anim.gif", 88, 44);
    WriteTestBmp(folder / "scan.bmp", 41, 23);
    WriteBytes(folder / "broken.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00});
    Store("Start", Q(folder));
  }

  QSize PreviewPicture() const { return window->PreviewForm->Image1->size(); }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
};

TEST_F(PreviewWindowTest, FirstRunOpensThePreviewHalfASecondAfterStart) {
  QElapsedTimer clock;
  clock.start();
  StoreTraffic traffic;
  window = StartWindow();
  TPreviewForm* preview = window->PreviewForm;
  EXPECT_EQ(preview->objectName(), "PreviewForm");
  EXPECT_FALSE(preview->isVisible());
  EXPECT_FALSE(window->M12->isChecked());

  WaitForStartUp(*window);
  EXPECT_GE(clock.elapsed(), 500);
  EXPECT_TRUE(preview->isVisible());
  EXPECT_TRUE(window->M12->isChecked());
  EXPECT_TRUE(preview->windowFlags().testFlag(Qt::Tool));
  EXPECT_TRUE(preview->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  // Beside the main window, level with its top, where it covers none of it. Empty, at its
  // design size.
  const QRect main = window->frameGeometry();
  EXPECT_EQ(preview->pos(), QPoint(main.right() + 1 + 8, main.top()));
  EXPECT_EQ(preview->frameGeometry().topLeft(), preview->pos());
  EXPECT_FALSE(preview->frameGeometry().intersects(main));
  EXPECT_EQ(preview->size(), TPreviewForm::EmptySize());
  EXPECT_TRUE(preview->Image1->pixmap().isNull());
  // The main window is the active one again, the preview above it.
  EXPECT_TRUE(QTest::qWaitForWindowActive(window.get(), 2000));
  EXPECT_EQ(QApplication::activeWindow(), window.get());
  // Read in this order; nothing written.
  EXPECT_EQ(TrafficOf(traffic.all, kPreviewValues),
            (std::vector<QString>{"read preview", "read preview_x", "read preview_y"}));
}

TEST_F(PreviewWindowTest, AClickShowsThePictureAtAQuarterOfItsSize) {
  window = StartWindow();
  WaitForStartUp(*window);
  ClickListEntry(*window, "wide.jpg");
  EXPECT_EQ(PreviewPicture(), QSize(100, 75));
  EXPECT_EQ(window->PreviewForm->size(), QSize(100, 75));  // the window follows its picture
  EXPECT_EQ(window->PreviewForm->Image1->pixmap().size(), QSize(100, 75));
  EXPECT_EQ(window->PreviewForm->Image1->pos(), QPoint(0, 0));

  // 6 / 4 = 1.5 and 10 / 4 = 2.5 both go to the even 2.
  ClickListEntry(*window, "odd.jpg");
  EXPECT_EQ(PreviewPicture(), QSize(2, 2));
  EXPECT_EQ(window->PreviewForm->Image1->pixmap().size(), QSize(2, 2));
  ClickListEntry(*window, "anim.gif");
  EXPECT_EQ(PreviewPicture(), QSize(22, 11));
  ClickListEntry(*window, "scan.bmp");
  EXPECT_EQ(PreviewPicture(), QSize(10, 6));  // 10.25 and 5.75

  // No path (no selected entry under the focus) leaves the picture.
  window->UpdatePreview(QString());
  WaitForPictures(*window);
  EXPECT_EQ(PreviewPicture(), QSize(10, 6));
  // A picture that cannot be read empties the preview, back to its design size, silently.
  BoxAnswerer boxes({});
  ClickListEntry(*window, "broken.jpg");
  EXPECT_TRUE(window->PreviewForm->Image1->pixmap().isNull());
  EXPECT_EQ(window->PreviewForm->size(), TPreviewForm::EmptySize());
  ClickListEntry(*window, "scan.bmp");
  window->UpdatePreview(Q(folder / "missing.jpg"));
  WaitForPictures(*window);
  EXPECT_TRUE(window->PreviewForm->Image1->pixmap().isNull());
  ClickListEntry(*window, "scan.bmp");
  fs::copy_file(folder / "wide.jpg", folder / "copy.jpe");
  window->UpdatePreview(Q(folder / "copy.jpe"));
  WaitForPictures(*window);  // ".jpe" has no reader here
  QApplication::processEvents();
  EXPECT_TRUE(window->PreviewForm->Image1->pixmap().isNull());
  EXPECT_TRUE(boxes.seen.empty());
  // Upper-case extensions and ".jpeg" are read.
  fs::copy_file(folder / "wide.jpg", folder / "copy.JPEG");
  window->UpdatePreview(Q(folder / "copy.JPEG"));
  WaitForPictures(*window);
  EXPECT_EQ(PreviewPicture(), QSize(100, 75));
}

TEST_F(PreviewWindowTest, AClosedPreviewFollowsTheListAndShowsTheLastPictureWhenOpened) {
  Store("preview", "0");
  Store("preview_x", "300");
  Store("preview_y", "40");
  window = StartWindow();
  WaitForStartUp(*window);
  EXPECT_FALSE(window->PreviewForm->isVisible());
  EXPECT_FALSE(window->M12->isChecked());

  ClickListEntry(*window, "wide.jpg");
  EXPECT_FALSE(window->PreviewForm->isVisible());
  StoreTraffic traffic;
  window->M12->trigger();
  EXPECT_TRUE(window->PreviewForm->isVisible());
  EXPECT_TRUE(window->M12->isChecked());
  EXPECT_EQ(window->PreviewForm->geometry().topLeft(), QPoint(40, 300));
  EXPECT_EQ(PreviewPicture(), QSize(100, 75));
  EXPECT_EQ(Stored("preview"), "1");
  EXPECT_EQ(traffic.all,
            (std::vector<QString>{"read preview_x", "read preview_y", "write preview"}));
}

TEST_F(PreviewWindowTest, ClosingThePreviewClearsTheMarkAndTheNextStartLeavesItClosed) {
  window = StartWindow();
  WaitForStartUp(*window);
  window->PreviewForm->move(333, 222);  // the user drags its frame there
  const QPoint inside = window->PreviewForm->geometry().topLeft();
  StoreTraffic traffic;
  window->PreviewForm->close();  // its close box
  EXPECT_FALSE(window->PreviewForm->isVisible());
  EXPECT_FALSE(window->M12->isChecked());
  EXPECT_EQ(traffic.all,
            (std::vector<QString>{"write preview", "write preview_x", "write preview_y"}));
  EXPECT_EQ(Stored("preview"), "0");
  EXPECT_EQ(Stored("preview_x"), QString::number(inside.y()));  // the top edge
  EXPECT_EQ(Stored("preview_y"), QString::number(inside.x()));  // the left edge
  window->close();
  window.reset();

  window = StartWindow();
  WaitForStartUp(*window);
  EXPECT_FALSE(window->PreviewForm->isVisible());
  EXPECT_FALSE(window->M12->isChecked());
  // Opened from the menu, it comes back where it was closed.
  window->M12->trigger();
  EXPECT_EQ(window->PreviewForm->geometry().topLeft(), inside);
  EXPECT_EQ(window->PreviewForm->pos(), QPoint(333, 222));
}

TEST_F(PreviewWindowTest, TheMenuTogglesThePreviewAndStoresEachState) {
  window = StartWindow();
  WaitForStartUp(*window);
  ASSERT_TRUE(window->PreviewForm->isVisible());
  const QPoint firstPlace = window->PreviewForm->pos();
  StoreTraffic traffic;
  window->M12->trigger();
  EXPECT_FALSE(window->PreviewForm->isVisible());
  EXPECT_FALSE(window->M12->isChecked());
  EXPECT_EQ(Stored("preview"), "0");
  // The close handler's three writes, then the menu's own.
  EXPECT_EQ(traffic.all, (std::vector<QString>{"write preview", "write preview_x",
                                               "write preview_y", "write preview"}));
  window->M12->trigger();
  EXPECT_TRUE(window->PreviewForm->isVisible());
  EXPECT_TRUE(window->M12->isChecked());
  EXPECT_EQ(Stored("preview"), "1");
  EXPECT_EQ(window->PreviewForm->pos(), firstPlace);  // where closing left it
}

TEST_F(PreviewWindowTest, LeavingWithThePreviewOpenReopensItWhereItWasWithoutCreeping) {
  QPoint place(350, 420);
  for (int run = 0; run < 3; ++run) {
    window = StartWindow();
    WaitForStartUp(*window);
    ASSERT_TRUE(window->PreviewForm->isVisible()) << "run " << run;
    if (run == 0) {
      window->PreviewForm->move(place);  // the user drags its frame there
      place = window->PreviewForm->geometry().topLeft();
    } else {
      EXPECT_EQ(window->PreviewForm->geometry().topLeft(), place) << "run " << run;
    }
    window->close();
    // The program's end is not the user closing the preview.
    EXPECT_EQ(Stored("preview"), "<absent>");
    EXPECT_EQ(Stored("preview_x"), QString::number(place.y()));
    EXPECT_EQ(Stored("preview_y"), QString::number(place.x()));
    window.reset();
  }
}

TEST_F(PreviewWindowTest, ClosingBeforeThePreviewWasPlacedKeepsTheStoredPlace) {
  Store("preview", "0");
  Store("preview_x", "321");
  Store("preview_y", "123");
  window = StartWindow();
  WaitForStartUp(*window);
  StoreTraffic traffic;
  window->close();
  EXPECT_TRUE(TrafficOf(traffic.all, kPreviewValues).empty());
  EXPECT_EQ(Stored("preview_x"), "321");
  EXPECT_EQ(Stored("preview_y"), "123");
}

// Quitting closes every window, the preview before the main one.
TEST_F(PreviewWindowTest, QuittingTheApplicationIsNotTheUserClosingThePreview) {
  // Sees the quit after the preview's own watch and keeps it from ending the test's process.
  struct QuitCatcher : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override {
      return watched == qApp && event->type() == QEvent::Quit;
    }
  } catcher;
  qApp->installEventFilter(&catcher);
  window = StartWindow();
  WaitForStartUp(*window);
  ASSERT_TRUE(window->PreviewForm->isVisible());
  QEvent quit(QEvent::Quit);
  QCoreApplication::sendEvent(qApp, &quit);
  window->PreviewForm->close();
  window->close();
  qApp->removeEventFilter(&catcher);
  EXPECT_EQ(Stored("preview"), "<absent>");  // still opens at the next start
  EXPECT_EQ(Stored("preview_x"), "104");     // its first place, level with the main window
}

TEST_F(PreviewWindowTest, APlaceOffEveryScreenMovesOntoTheNearestScreen) {
  // Far to the right of the second screen (1280..2303 by 0..767).
  Store("preview_x", "100");
  Store("preview_y", "5000");
  window = StartWindow();
  WaitForStartUp(*window);
  const QRect second = QGuiApplication::screens().at(1)->availableGeometry();
  const QRect frame = window->PreviewForm->frameGeometry();
  EXPECT_TRUE(second.contains(frame)) << frame.x() << "," << frame.y();
  EXPECT_EQ(frame.right(), second.right());
  EXPECT_EQ(window->PreviewForm->geometry().top(), 100);
  window->close();
  window.reset();

  // Above and left of everything: the first screen's corner.
  Store("preview_x", "-3000");
  Store("preview_y", "-3000");
  window = StartWindow();
  WaitForStartUp(*window);
  EXPECT_EQ(window->PreviewForm->pos(), QPoint(0, 0));

  // A place partly off a screen but within reach stays as it is.
  window->M12->trigger();
  Store("preview_x", "980");
  Store("preview_y", "-60");
  window->M12->trigger();
  EXPECT_EQ(window->PreviewForm->geometry().topLeft(), QPoint(-60, 980));
}

TEST_F(PreviewWindowTest, APictureTooLargeForAQuarterIsKeptWithinHalfTheScreen) {
  // A quarter would be 700 x 600; half the 1280 x 1024 screen is 640 x 512.
  WriteTestJpeg(folder / "huge.jpg", 2800, 2400, 5);
  window = StartWindow();
  WaitForStartUp(*window);
  ClickListEntry(*window, "huge.jpg");
  // Beside the main window there is less room than half the screen: it grows into the room
  // towards the screen's edge, in proportion, and stays clear of the main window.
  const QSize shown = PreviewPicture();
  EXPECT_LE(shown.width(), 597);
  EXPECT_LE(shown.height(), 512);
  EXPECT_NEAR(shown.width() * 600.0 / 700.0, shown.height(), 1.0);
  EXPECT_GT(shown.width(), 300);
  EXPECT_EQ(window->PreviewForm->size(), shown);
  EXPECT_FALSE(window->PreviewForm->frameGeometry().intersects(window->frameGeometry()));
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(
      window->PreviewForm->frameGeometry()));
  // The picture itself is the quarter, shrunk into the window as it is shown.
  EXPECT_EQ(window->PreviewForm->Image1->pixmap().size(), QSize(700, 600));
}

}  // namespace
}  // namespace pixtrel::test
