// The preview follows the focus through the file list by keys too, empties itself for a file it
// cannot read, keeps inside the screen when it grows, and first opens beside the main window.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "app/FileListBox.h"
#include "app/PageControl.h"
#include "tests/window/ViewsTestSupport.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/PreviewForm.h"
#include "windows/PreviewFormPlace.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class PreviewFollowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    WriteTestGif(folder / "anim.gif", 88, 44);
    WriteBytes(folder / "broken.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00});
    WriteTestJpeg(folder / "odd.jpg", 6, 10, 2);
    WriteTestBmp(folder / "scan.bmp", 41, 23);
    WriteTestJpeg(folder / "wide.jpg", 400, 300, 1);
    Store("Start", Q(folder));
  }

  QSize PreviewPicture() const { return window->PreviewForm->Image1->size(); }
  bool PreviewEmpty() const { return window->PreviewForm->Image1->pixmap().isNull(); }

  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->FileListBox10, key, modifiers);
    QApplication::processEvents();
    WaitForPictures(*window);
  }

  QRect Usable() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
};

TEST_F(PreviewFollowsTest, ArrowKeysMoveThePreviewAlongTheList) {
  window = StartWindow();
  WaitForStartUp(*window);
  ASSERT_EQ(ListedNames(*window),
            QStringList({"anim.gif", "broken.jpg", "odd.jpg", "scan.bmp", "wide.jpg"}));
  ClickListEntry(*window, "anim.gif");
  EXPECT_EQ(PreviewPicture(), QSize(22, 11));
  window->FileListBox10->setFocus();

  Key(Qt::Key_Down);  // broken.jpg cannot be read: the preview empties
  EXPECT_EQ(SelectedNames(*window), QStringList({"broken.jpg"}));
  EXPECT_TRUE(PreviewEmpty());
  EXPECT_EQ(window->PreviewForm->size(), TPreviewForm::EmptySize());
  Key(Qt::Key_Down);
  EXPECT_EQ(PreviewPicture(), QSize(2, 2));
  EXPECT_FALSE(PreviewEmpty());
  Key(Qt::Key_End);
  EXPECT_EQ(PreviewPicture(), QSize(100, 75));
  Key(Qt::Key_Up);
  EXPECT_EQ(PreviewPicture(), QSize(10, 6));

  // Ctrl moves the focus without selecting: no file is chosen, the picture stays.
  Key(Qt::Key_Up, Qt::ControlModifier);
  EXPECT_TRUE(SelectedNames(*window).contains("scan.bmp"));
  EXPECT_EQ(PreviewPicture(), QSize(10, 6));
  // Moving on from there selects and shows again.
  Key(Qt::Key_Up);
  EXPECT_EQ(SelectedNames(*window), QStringList({"broken.jpg"}));
  EXPECT_TRUE(PreviewEmpty());
}

TEST_F(PreviewFollowsTest, AClosedPreviewFollowsTheKeysAndShowsTheLastPictureWhenOpened) {
  Store("preview", "0");
  window = StartWindow();
  WaitForStartUp(*window);
  ClickListEntry(*window, "odd.jpg");
  window->FileListBox10->setFocus();
  Key(Qt::Key_Down);
  EXPECT_FALSE(window->PreviewForm->isVisible());
  window->M12->trigger();
  EXPECT_EQ(PreviewPicture(), QSize(10, 6));
}

TEST_F(PreviewFollowsTest, ARereadFileShowsItsNewPicture) {
  window = StartWindow();
  WaitForStartUp(*window);
  ClickListEntry(*window, "wide.jpg");
  EXPECT_EQ(PreviewPicture(), QSize(100, 75));
  // Rewritten under the same name, it is read anew at the next click.
  WriteTestJpeg(folder / "wide.jpg", 200, 100, 3);
  const auto later = fs::last_write_time(folder / "wide.jpg") + std::chrono::seconds(2);
  fs::last_write_time(folder / "wide.jpg", later);
  ClickListEntry(*window, "wide.jpg");
  EXPECT_EQ(PreviewPicture(), QSize(50, 25));
}

TEST_F(PreviewFollowsTest, AGrowingPreviewStaysInsideTheScreen) {
  WriteTestJpeg(folder / "huge.jpg", 2800, 2400, 5);  // shows at 597 x 512
  Store("preview_x", "860");                          // top: 164 pixels above the bottom
  Store("preview_y", "1020");                         // left: 260 pixels from the right
  window = StartWindow();
  WaitForStartUp(*window);
  TPreviewForm* preview = window->PreviewForm;
  ASSERT_EQ(preview->geometry().topLeft(), QPoint(1020, 860));  // the inside's corner
  ASSERT_TRUE(Usable().contains(preview->frameGeometry()));
  ClickListEntry(*window, "huge.jpg");
  // Moved back onto the screen, but not over the main window: it takes the room it has.
  const QRect frame = preview->frameGeometry();
  EXPECT_TRUE(Usable().contains(frame));
  EXPECT_FALSE(frame.intersects(window->frameGeometry()));
  EXPECT_GE(preview->width(), TPreviewForm::EmptySize().width() / 2);

  // Smaller again, it stays where it was moved to.
  ClickListEntry(*window, "wide.jpg");
  EXPECT_EQ(preview->frameGeometry().topLeft(), frame.topLeft());
  EXPECT_EQ(preview->size(), QSize(100, 75));
}

TEST_F(PreviewFollowsTest, APictureThatGrewWhileClosedDoesNotCarryThePreviewOffTheScreen) {
  WriteTestJpeg(folder / "huge.jpg", 2800, 2400, 5);
  Store("preview", "0");
  Store("preview_x", "860");
  Store("preview_y", "1020");
  window = StartWindow();
  WaitForStartUp(*window);
  ClickListEntry(*window, "huge.jpg");
  window->M12->trigger();
  ASSERT_TRUE(window->PreviewForm->isVisible());
  const QRect frame = window->PreviewForm->frameGeometry();
  // On the screen, and not moved back over the main window: as large as its corner allows.
  EXPECT_TRUE(Usable().contains(frame));
  EXPECT_FALSE(frame.intersects(window->frameGeometry()));
  EXPECT_LT(window->PreviewForm->width(), 597);
}

TEST_F(PreviewFollowsTest, TheFirstPlaceIsBesideTheMainWindowWhereThereIsRoom) {
  // The main window against the right edge: the preview goes to its left.
  Store("x", "100");
  Store("y", "520");
  window = StartWindow();
  WaitForStartUp(*window);
  const QRect main = window->frameGeometry();
  const QRect preview = window->PreviewForm->frameGeometry();
  ASSERT_TRUE(window->PreviewForm->isVisible());
  EXPECT_FALSE(preview.intersects(main));
  EXPECT_EQ(preview.right(), main.left() - 1 - 8);
  EXPECT_EQ(preview.top(), main.top());
  const QRect tabs(window->PageControl1->tabStrip()->mapToGlobal(QPoint(0, 0)),
                   window->PageControl1->tabStrip()->size());
  EXPECT_FALSE(preview.intersects(tabs));
}

TEST(PreviewPlace, FirstPlaceTriesRightLeftBelowAboveThenTheCorner) {
  const QRect area(0, 0, 1280, 1024);
  const QSize preview(137, 85);
  EXPECT_EQ(FirstPreviewPlace(QRect(153, 104, 745, 549), preview, area), QPoint(906, 104));
  EXPECT_EQ(FirstPreviewPlace(QRect(500, 104, 745, 549), preview, area), QPoint(355, 104));
  // As wide as the screen: below it, then above it.
  EXPECT_EQ(FirstPreviewPlace(QRect(0, 100, 1280, 549), preview, area), QPoint(0, 657));
  EXPECT_EQ(FirstPreviewPlace(QRect(0, 300, 1280, 700), preview, area), QPoint(0, 207));
  // Covering it all: the bottom-right corner.
  EXPECT_EQ(FirstPreviewPlace(area, preview, area), QPoint(1143, 939));
  // Level with the main window's top as far as the area allows.
  EXPECT_EQ(FirstPreviewPlace(QRect(153, 980, 745, 40), preview, area), QPoint(906, 939));
  // An area that does not start at 0, 0 (a second screen, a panel on the left).
  EXPECT_EQ(FirstPreviewPlace(QRect(1400, 50, 745, 549), preview, QRect(1280, 30, 1024, 738)),
            QPoint(2153, 50));
}

TEST(PreviewPlace, GrowthPastAnEdgeIsTakenBack) {
  const QRect area(0, 0, 1280, 1024);
  // Grew past the right and bottom edges: moved back inside.
  EXPECT_EQ(KeepGrowthInside(QRect(1000, 900, 137, 85), QRect(1000, 900, 597, 512), area),
            QPoint(683, 512));
  // Within the area: stays.
  EXPECT_EQ(KeepGrowthInside(QRect(10, 20, 137, 85), QRect(10, 20, 300, 200), area),
            QPoint(10, 20));
  // Already past the right edge by 20 pixels: the growth moves back, the 20 pixels stay.
  EXPECT_EQ(KeepGrowthInside(QRect(1163, 0, 137, 85), QRect(1163, 0, 237, 85), area),
            QPoint(1063, 0));
  // Shrinking never moves it.
  EXPECT_EQ(KeepGrowthInside(QRect(1163, 0, 137, 85), QRect(1163, 0, 100, 75), area),
            QPoint(1163, 0));
  // Larger than the area: its left edge stays on the area's.
  EXPECT_EQ(KeepGrowthInside(QRect(100, 0, 137, 85), QRect(100, 0, 1500, 85), area), QPoint(0, 0));
}

}  // namespace
}  // namespace pixtrel::test
