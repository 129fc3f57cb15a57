// A tab chosen from a menu lists only the files its command takes, so that selecting all and
// pressing the tab's button runs over those files alone.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "app/FileListBox.h"
#include "app/PageControl.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifRaster.h"
#include "codecs/gif/GifReader.h"
#include "codecs/gif/GifWriter.h"
#include "codecs/jpeg/JpegImage.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class MenuTabMaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    WriteTestJpeg(folder / "a.jpg", 48, 32, 1);
    WriteTestJpeg(folder / "b.jpg", 40, 30, 2);
    TGIFImage gif;
    SetGifRaster(gif, TestPattern(30, 20, 3));
    WriteGifFile(gif, folder / "c.gif");
    WriteBmpFile(Raster(TestPattern(20, 30, 4)), folder / "d.bmp");
    Store("Start", Q(folder));
    Store("jpg.px", "24");
    Store("gif.px", "15");
    window = StartWindow();
  }

  void selectAllAndPress(QPushButton* button) {
    window->FileListBox10->setFocus();
    QTest::keyClick(window->FileListBox10, Qt::Key_A, Qt::ControlModifier);
    QTest::mouseClick(button, Qt::LeftButton);
    window->WaitForBatch();
    QApplication::processEvents();
  }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
};

TEST_F(MenuTabMaskTest, ResizeJpgFromTheMenuListsOnlyJpegFilesAndItsBatchRuns) {
  // The start mask lists all three kinds.
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "b.jpg", "c.gif", "d.bmp"}));
  Control<QAction>(*window, "M21")->trigger();
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabJpg);
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "b.jpg"}));

  BoxAnswerer boxes({});
  selectAllAndPress(window->Button2);
  EXPECT_TRUE(boxes.seen.empty()) << boxes.seen.front().text.toStdString();
  // The refresh keeps the files selected, by name.
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "b.jpg"}));
  for (const char* name : {"mini-a.jpg", "mini-b.jpg"}) {
    ASSERT_TRUE(fs::exists(folder / name)) << name;
    TJPEGImage result = ReadJpegFile(folder / name);
    DecodeJpeg(result);
    EXPECT_EQ(std::max(result.width(), result.height()), 24) << name;
  }
  EXPECT_FALSE(fs::exists(folder / "mini-c.gif"));
  EXPECT_FALSE(fs::exists(folder / "mini-d.bmp"));
}

TEST_F(MenuTabMaskTest, EveryMenuEntryThatShowsATabSetsItsMask) {
  const QString jpeg = "*.jpg;*.jpeg;*.jpe", all = "*.bmp;*.jpg;*.gif;*.jpeg;*.jpe";
  const struct {
    const char* entry;
    int tab;
    QString mask;
  } entries[] = {{"M21", TForm1::TabJpg, jpeg},         {"M22", TForm1::TabBmp, "*.bmp"},
                 {"M23", TForm1::TabGif, "*.gif"},      {"M31", TForm1::TabBmpToJpg, "*.bmp"},
                 {"M32", TForm1::TabBmpToGif, "*.bmp"}, {"M34", TForm1::TabJpgToBmp, jpeg},
                 {"M35", TForm1::TabJpgToGif, jpeg},    {"M37", TForm1::TabGifToBmp, "*.gif"},
                 {"M38", TForm1::TabGifToJpg, "*.gif"}, {"M91", TForm1::TabHelp, all},
                 {"M22", TForm1::TabBmp, "*.bmp"},      {"M99", TForm1::TabAbout, all}};
  for (const auto& entry : entries) {
    Control<QAction>(*window, entry.entry)->trigger();
    EXPECT_EQ(window->PageControl1->currentIndex(), entry.tab) << entry.entry;
    EXPECT_EQ(window->FileListBox10->mask(), entry.mask) << entry.entry;
  }
}

TEST_F(MenuTabMaskTest, ResizeGifFromTheMenuResizesTheGifAlone) {
  Control<QAction>(*window, "M23")->trigger();
  EXPECT_EQ(ListedNames(*window), QStringList({"c.gif"}));
  BoxAnswerer boxes({});
  selectAllAndPress(window->Button1);
  EXPECT_TRUE(boxes.seen.empty());
  ASSERT_TRUE(fs::exists(folder / "mini-c.gif"));
  const Raster result = GifFrameRaster(ReadGifFile(folder / "mini-c.gif"));
  EXPECT_EQ(RasterWidth(result), 15);
  EXPECT_EQ(RasterHeight(result), 10);
  EXPECT_FALSE(fs::exists(folder / "mini-a.jpg"));
}

}  // namespace
}  // namespace pixtrel::test
