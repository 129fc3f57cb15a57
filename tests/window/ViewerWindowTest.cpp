// The viewer: opened by a double click or "View image", titled and sized from the picture and
// the screen, centred when it appears, hidden by a click on the picture; pictures it cannot read
// change nothing.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include "app/FileListBox.h"
#include "tests/window/ViewsTestSupport.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/PreviewForm.h"
#include "windows/Slikca.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class ViewerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    WriteTestJpeg(folder / "photo.jpg", 1024, 768, 1);
    WriteTestGif(folder / "small.gif", 120, 90);
    WriteBytes(folder / "broken.bmp", Bytes{'B', 'M', 1, 2, 3});
    Store("Start", Q(folder));
    Store("preview", "0");
    window = StartWindow();
    viewer = window->Slikca;
  }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
  TSlikca* viewer = nullptr;
};

TEST_F(ViewerWindowTest, ADoubleClickShowsThePictureAtItsOwnSizeCentredOnTheScreen) {
  EXPECT_EQ(viewer->objectName(), "Slikca");
  EXPECT_FALSE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), "View image");
  EXPECT_FALSE(viewer->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  DoubleClickListEntry(*window, "photo.jpg");
  ASSERT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), "photo.jpg - View image - 1024x768");
  EXPECT_EQ(viewer->Image1->size(), QSize(1024, 768));
  // On the 1280 x 1024 screen: the picture plus 9 and 28, centred.
  EXPECT_EQ(viewer->frameGeometry(), QRect(123, 114, 1033, 796));
  EXPECT_FALSE(viewer->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(viewer->verticalScrollBar()->isVisible());

  // A click on the picture hides the viewer.
  QTest::mouseClick(viewer->Image1, Qt::LeftButton);
  EXPECT_FALSE(viewer->isVisible());
}

TEST_F(ViewerWindowTest, APictureLargerThanTheScreenFillsItLessTheMarginsWithScrollBars) {
  WriteTestJpeg(folder / "large.jpg", 2000, 1500, 2);
  window->Osvezi();
  DoubleClickListEntry(*window, "large.jpg");
  ASSERT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), "large.jpg - View image - 2000x1500");
  EXPECT_EQ(viewer->frameGeometry(), QRect(4, 14, 1271, 996));
  EXPECT_TRUE(viewer->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(viewer->verticalScrollBar()->isVisible());
  EXPECT_EQ(viewer->horizontalScrollBar()->maximum(), 2000 - viewer->viewport()->width());
}

TEST_F(ViewerWindowTest, AnOpenViewerTakesTheNextPictureWhereItIs) {
  DoubleClickListEntry(*window, "photo.jpg");
  viewer->move(40, 30);
  window->Preview(Q(folder / "small.gif"));
  EXPECT_EQ(viewer->windowTitle(), "small.gif - View image - 120x90");
  EXPECT_EQ(viewer->frameGeometry(), QRect(40, 30, 129, 118));
  // Narrow, but centred: a picture smaller than the window sits in its middle.
  EXPECT_EQ(viewer->Image1->pos(), QPoint((viewer->viewport()->width() - 120) / 2,
                                          (viewer->viewport()->height() - 90) / 2));

  // Back to the large picture: it grows from where it is, as far as the screen lets it.
  viewer->move(600, 500);
  window->Preview(Q(folder / "photo.jpg"));
  EXPECT_EQ(viewer->frameGeometry(), QRect(247, 228, 1033, 796));
}

TEST_F(ViewerWindowTest, APictureThatCannotBeReadChangesNothing) {
  BoxAnswerer boxes({});
  window->Preview(Q(folder / "broken.bmp"));
  window->Preview(Q(folder / "gone.jpg"));
  window->Preview(QString());
  fs::copy_file(folder / "photo.jpg", folder / "photo.jpe");
  window->Preview(Q(folder / "photo.jpe"));
  EXPECT_FALSE(viewer->isVisible());

  window->Preview(Q(folder / "small.gif"));
  const QRect frame = viewer->frameGeometry();
  window->Preview(Q(folder / "broken.bmp"));
  window->Preview(Q(folder / "photo.jpe"));
  QApplication::processEvents();
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), "small.gif - View image - 120x90");
  EXPECT_EQ(viewer->frameGeometry(), frame);
  EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(ViewerWindowTest, ViewImageOpensTheFocusedSelectedFile) {
  SelectNames(*window, {"small.gif"});
  window->M13->trigger();
  ASSERT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), "small.gif - View image - 120x90");
  QTest::mouseClick(viewer->Image1, Qt::LeftButton);

  // A focused entry that is not selected gives the empty path: nothing opens.
  window->FileListBox10->clearSelection();
  window->M13->trigger();
  EXPECT_FALSE(viewer->isVisible());
}

TEST_F(ViewerWindowTest, TheTitlesFollowTheLanguageTexts) {
  DoubleClickListEntry(*window, "small.gif");
  window->LanguageTexts.insert(301, QStringLiteral("Bild ansehen"));
  window->LanguageTexts.insert(412, QStringLiteral("Vorschau"));
  window->RetitleSecondaryWindows();
  EXPECT_EQ(viewer->windowTitle(), "small.gif - Bild ansehen - 120x90");
  EXPECT_EQ(window->PreviewForm->windowTitle(), "Vorschau");
  window->Preview(Q(folder / "photo.jpg"));
  EXPECT_EQ(viewer->windowTitle(), "photo.jpg - Bild ansehen - 1024x768");
}

TEST_F(ViewerWindowTest, TheTitleNamesTheFileShown) {
  fs::copy_file(folder / "small.gif", folder / "Beach at dawn.gif");
  window->Preview(Q(folder / "Beach at dawn.gif"));
  EXPECT_EQ(viewer->windowTitle(), "Beach at dawn.gif - View image - 120x90");
  window->Preview(Q(folder / "photo.jpg"));
  EXPECT_EQ(viewer->windowTitle(), "photo.jpg - View image - 1024x768");
  EXPECT_EQ(ViewerTitle("View image", QSize(3, 4), "a.bmp"), "a.bmp - View image - 3x4");
}

TEST_F(ViewerWindowTest, EscClosesTheViewer) {
  DoubleClickListEntry(*window, "small.gif");
  ASSERT_TRUE(viewer->isVisible());
  QWidget* target = QApplication::focusWidget();
  if (!target || target->window() != viewer) target = viewer;
  QTest::keyClick(target, Qt::Key_Escape);
  EXPECT_FALSE(viewer->isVisible());
  // Other keys leave it open.
  window->Preview(Q(folder / "small.gif"));
  ASSERT_TRUE(viewer->isVisible());
  QTest::keyClick(viewer, Qt::Key_Right);
  QTest::keyClick(viewer, Qt::Key_Escape, Qt::ShiftModifier);
  EXPECT_TRUE(viewer->isVisible());
  QTest::keyClick(viewer, Qt::Key_Escape);
  EXPECT_FALSE(viewer->isVisible());
}

}  // namespace
}  // namespace pixtrel::test
