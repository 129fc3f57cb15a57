// The viewer: opened by a double click or "View image" with the picture read on a thread of its
// own, titled and sized from the picture and the screen, fitted to the screen when larger,
// centred when it appears; 100 % and fit on keys and clicks, wheel zoom, scrolling by dragging,
// transparency over a checkerboard; pictures it cannot read change nothing; only the newest
// request is shown.
#include <QAction>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "app/FileListBox.h"
#include "codecs/png/PngFile.h"
#include "core/Bitmap24.h"
#include "io/FileBytes.h"
#include "tests/window/ViewsTestSupport.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/PictureCanvas.h"
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

  void View(const fs::path& file) {
    window->Preview(Q(file));
    WaitForPictures(*window);
  }

  void Wheel(int delta, QPoint at) {
    QWheelEvent wheel(QPointF(at), QPointF(viewer->viewport()->mapToGlobal(at)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewer->viewport(), &wheel);
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
  EXPECT_DOUBLE_EQ(viewer->zoom(), 1.0);
  // On the 1280 x 1024 screen: the picture plus 9 and 28, centred.
  EXPECT_EQ(viewer->frameGeometry(), QRect(123, 114, 1033, 796));
  EXPECT_FALSE(viewer->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(viewer->verticalScrollBar()->isVisible());

  // The whole picture at its own size has nothing to switch: a click hides the viewer.
  QTest::mouseClick(viewer->Image1, Qt::LeftButton);
  EXPECT_FALSE(viewer->isVisible());
}

TEST_F(ViewerWindowTest, APictureLargerThanTheScreenOpensFittedAndSwitchesTo100PercentAndBack) {
  WriteTestJpeg(folder / "large.jpg", 2000, 1500, 2);
  View(folder / "large.jpg");
  ASSERT_TRUE(viewer->isVisible());
  // Fitted into the screen less the margins on both sides: 2000 x 1500 at 63 %.
  EXPECT_TRUE(viewer->fitted());
  EXPECT_EQ(viewer->frameGeometry(), QRect(4, 24, 1271, 975));
  const double fit = FitZoom(QSize(2000, 1500), viewer->maximumViewportSize());
  EXPECT_NEAR(fit, 0.63, 0.01);
  EXPECT_DOUBLE_EQ(viewer->zoom(), fit);
  const QSize fitted = viewer->Image1->zoomedSize(fit);
  EXPECT_EQ(viewer->Image1->size(), fitted);
  EXPECT_TRUE(viewer->maximumViewportSize().width() == fitted.width() ||
              viewer->maximumViewportSize().height() == fitted.height());
  EXPECT_EQ(viewer->windowTitle(),
            QStringLiteral("large.jpg - View image - 2000x1500 (%1 %)").arg(qRound(fit * 100)));
  EXPECT_FALSE(viewer->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(viewer->verticalScrollBar()->isVisible());

  // "1": its own size, with scroll bars.
  QTest::keyClick(viewer, Qt::Key_1);
  QApplication::processEvents();
  EXPECT_DOUBLE_EQ(viewer->zoom(), 1.0);
  EXPECT_EQ(viewer->Image1->size(), QSize(2000, 1500));
  EXPECT_TRUE(viewer->horizontalScrollBar()->isVisible());
  EXPECT_EQ(viewer->horizontalScrollBar()->maximum(), 2000 - viewer->viewport()->width());
  EXPECT_EQ(viewer->windowTitle(), "large.jpg - View image - 2000x1500");
  // "F" fits it again.
  QTest::keyClick(viewer, Qt::Key_F);
  QApplication::processEvents();
  EXPECT_EQ(viewer->Image1->size(), fitted);

  // A click shows 100 % with the spot clicked staying under the pointer, and a click fits.
  const QPoint at(300, 200);
  const QPointF spot = QPointF(at - viewer->Image1->pos()) / viewer->zoom();
  QTest::mouseClick(viewer->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_DOUBLE_EQ(viewer->zoom(), 1.0);
  EXPECT_NEAR(at.x() - viewer->Image1->pos().x(), spot.x(), 1.0);
  EXPECT_NEAR(at.y() - viewer->Image1->pos().y(), spot.y(), 1.0);
  QTest::mouseClick(viewer->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_TRUE(viewer->fitted());
  EXPECT_TRUE(viewer->isVisible());
}

TEST_F(ViewerWindowTest, TheWheelZoomsAndDraggingScrolls) {
  WriteTestJpeg(folder / "large.jpg", 2000, 1500, 2);
  View(folder / "large.jpg");
  const double fitted = viewer->zoom();
  Wheel(120, QPoint(400, 300));
  EXPECT_NEAR(viewer->zoom(), fitted * 1.25, 1e-9);
  EXPECT_FALSE(viewer->fitted());
  Wheel(120, QPoint(400, 300));
  Wheel(-120, QPoint(400, 300));
  EXPECT_NEAR(viewer->zoom(), fitted * 1.25, 1e-9);
  QTest::keyClick(viewer, Qt::Key_Plus);
  EXPECT_NEAR(viewer->zoom(), fitted * 1.25 * 1.25, 1e-9);
  QTest::keyClick(viewer, Qt::Key_Minus);
  EXPECT_NEAR(viewer->zoom(), fitted * 1.25, 1e-9);

  // A drag moves the picture with the pointer and does not count as a click.
  QTest::keyClick(viewer, Qt::Key_1);
  const int x = viewer->horizontalScrollBar()->value();
  const int y = viewer->verticalScrollBar()->value();
  QTest::mousePress(viewer->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 500));
  QMouseEvent move(QEvent::MouseMove, QPointF(420, 450),
                   viewer->viewport()->mapToGlobal(QPointF(420, 450)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(viewer->viewport(), &move);
  QTest::mouseRelease(viewer->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(420, 450));
  EXPECT_EQ(viewer->horizontalScrollBar()->value(), x + 80);
  EXPECT_EQ(viewer->verticalScrollBar()->value(), y + 50);
  EXPECT_DOUBLE_EQ(viewer->zoom(), 1.0);
}

TEST_F(ViewerWindowTest, TransparentPartsShowOverALightCheckerboard) {
  // Red, its left half fully transparent.
  Bitmap24 red(32, 16, 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x)
      red.row(y)[x * 3 + 2] = 255;
  }
  std::vector<std::uint8_t> alpha(32 * 16, 255);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x)
      alpha[static_cast<std::size_t>(y * 32 + x)] = 0;
  }
  WriteBytes(folder / "half.png", EncodePng(Raster(std::move(red)), &alpha, PictureMetadata{}));
  View(folder / "half.png");
  ASSERT_TRUE(viewer->isVisible());
  const QImage shown = viewer->Image1->grab().toImage();
  EXPECT_EQ(QColor(shown.pixel(2, 2)), QColor(0xcc, 0xcc, 0xcc));
  EXPECT_EQ(QColor(shown.pixel(10, 2)), QColor(Qt::white));
  EXPECT_EQ(QColor(shown.pixel(2, 10)), QColor(Qt::white));
  EXPECT_EQ(QColor(shown.pixel(10, 10)), QColor(0xcc, 0xcc, 0xcc));
  EXPECT_EQ(QColor(shown.pixel(20, 5)), QColor(Qt::red));
  // The preview keeps showing it on white.
  EXPECT_TRUE(window->PreviewForm->LoadPicture(Q(folder / "half.png")));
}

TEST_F(ViewerWindowTest, AnOpenViewerTakesTheNextPictureWhereItIs) {
  DoubleClickListEntry(*window, "photo.jpg");
  viewer->move(40, 30);
  View(folder / "small.gif");
  EXPECT_EQ(viewer->windowTitle(), "small.gif - View image - 120x90");
  EXPECT_EQ(viewer->frameGeometry(), QRect(40, 30, 129, 118));
  // Narrow, but centred: a picture smaller than the window sits in its middle.
  EXPECT_EQ(viewer->Image1->pos(), QPoint((viewer->viewport()->width() - 120) / 2,
                                          (viewer->viewport()->height() - 90) / 2));

  // Back to the large picture: it grows from where it is, as far as the screen lets it.
  viewer->move(600, 500);
  View(folder / "photo.jpg");
  EXPECT_EQ(viewer->frameGeometry(), QRect(247, 228, 1033, 796));
}

TEST_F(ViewerWindowTest, APictureThatCannotBeReadChangesNothing) {
  BoxAnswerer boxes({});
  View(folder / "broken.bmp");
  View(folder / "gone.jpg");
  window->Preview(QString());
  fs::copy_file(folder / "photo.jpg", folder / "photo.jpe");
  View(folder / "photo.jpe");
  EXPECT_FALSE(viewer->isVisible());

  View(folder / "small.gif");
  const QRect frame = viewer->frameGeometry();
  View(folder / "broken.bmp");
  View(folder / "photo.jpe");
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), "small.gif - View image - 120x90");
  EXPECT_EQ(viewer->frameGeometry(), frame);
  EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(ViewerWindowTest, OnlyTheNewestPictureAskedForIsShown) {
  WriteTestJpeg(folder / "large.jpg", 3000, 2000, 4);
  QStringList titles;
  QObject::connect(viewer, &QWidget::windowTitleChanged,
                   [&](const QString& title) { titles << title; });
  // The large one is still being read when the small one is asked for.
  window->Preview(Q(folder / "large.jpg"));
  window->Preview(Q(folder / "small.gif"));
  EXPECT_TRUE(viewer->Loading());
  WaitForPictures(*window);
  EXPECT_EQ(viewer->windowTitle(), "small.gif - View image - 120x90");
  for (const QString& title : titles)
    EXPECT_FALSE(title.contains("large.jpg")) << title.toStdString();
}

TEST_F(ViewerWindowTest, ViewImageOpensTheFocusedSelectedFile) {
  SelectNames(*window, {"small.gif"});
  window->M13->trigger();
  WaitForPictures(*window);
  ASSERT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), "small.gif - View image - 120x90");
  QTest::mouseClick(viewer->Image1, Qt::LeftButton);

  // A focused entry that is not selected gives the empty path: nothing opens.
  window->FileListBox10->clearSelection();
  window->M13->trigger();
  WaitForPictures(*window);
  EXPECT_FALSE(viewer->isVisible());
}

TEST_F(ViewerWindowTest, TheTitlesFollowTheLanguageTexts) {
  DoubleClickListEntry(*window, "small.gif");
  window->LanguageTexts.insert(301, QStringLiteral("Bild ansehen"));
  window->LanguageTexts.insert(412, QStringLiteral("Vorschau"));
  window->RetitleSecondaryWindows();
  EXPECT_EQ(viewer->windowTitle(), "small.gif - Bild ansehen - 120x90");
  EXPECT_EQ(window->PreviewForm->windowTitle(), "Vorschau");
  View(folder / "photo.jpg");
  EXPECT_EQ(viewer->windowTitle(), "photo.jpg - Bild ansehen - 1024x768");
}

TEST_F(ViewerWindowTest, TheTitleNamesTheFileShown) {
  fs::copy_file(folder / "small.gif", folder / "Beach at dawn.gif");
  View(folder / "Beach at dawn.gif");
  EXPECT_EQ(viewer->windowTitle(), "Beach at dawn.gif - View image - 120x90");
  View(folder / "photo.jpg");
  EXPECT_EQ(viewer->windowTitle(), "photo.jpg - View image - 1024x768");
  EXPECT_EQ(ViewerTitle("View image", QSize(3, 4), "a.bmp"), "a.bmp - View image - 3x4");
  EXPECT_EQ(ViewerTitle("View image", QSize(8000, 6000), "b.jpg", 0.155),
            "b.jpg - View image - 8000x6000 (16 %)");
  EXPECT_DOUBLE_EQ(FitZoom(QSize(8000, 6000), QSize(1600, 1000)), 1000.0 / 6000);
  EXPECT_DOUBLE_EQ(FitZoom(QSize(100, 50), QSize(1600, 1000)), 1.0);
}

TEST_F(ViewerWindowTest, EscClosesTheViewer) {
  DoubleClickListEntry(*window, "small.gif");
  ASSERT_TRUE(viewer->isVisible());
  QWidget* target = QApplication::focusWidget();
  if (!target || target->window() != viewer) target = viewer;
  QTest::keyClick(target, Qt::Key_Escape);
  EXPECT_FALSE(viewer->isVisible());
  // Other keys leave it open.
  View(folder / "small.gif");
  ASSERT_TRUE(viewer->isVisible());
  QTest::keyClick(viewer, Qt::Key_Right);
  QTest::keyClick(viewer, Qt::Key_Escape, Qt::ShiftModifier);
  EXPECT_TRUE(viewer->isVisible());
  QTest::keyClick(viewer, Qt::Key_Escape);
  EXPECT_FALSE(viewer->isVisible());
}

}  // namespace
}  // namespace pixtrel::test
