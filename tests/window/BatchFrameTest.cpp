// The batch frame as the window drives it on its own thread: the window stays free, Stop during
// a batch with several files in flight, and the moments each control is read (keep-date, the
// resize controls and the turn with its prefix per file, the save mode and the overwrite
// question once, the recent folder).
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "app/FileListBox.h"
#include "app/RadioGroup.h"
#include "batch/CommandId.h"
#include "codecs/Registry.h"
#include "codecs/jpeg/JpegImage.h"
#include "io/FileBytes.h"
#include "io/FileStamp.h"
#include "tests/window/FormatPictures.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class BatchFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    for (int i = 0; i < 6; ++i)
      WriteTestJpeg(folder / ("p" + std::to_string(i) + ".jpg"), 64, 48, i + 1);
    Store("Start", Q(folder));
    window = StartWindow();
    ClickTab(*window, TForm1::TabJpg);
    bar = Control<QProgressBar>(*window, "ProgressBar1");
  }

  void press(const char* button) {
    QTest::mouseClick(Control<QPushButton>(*window, button), Qt::LeftButton);
    window->WaitForBatch();
    QApplication::processEvents();
  }

  QStringList all() {
    QStringList names;
    for (int i = 0; i < 6; ++i)
      names << QString("p%1.jpg").arg(i);
    return names;
  }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
  QProgressBar* bar = nullptr;
};

TEST_F(BatchFrameTest, TheButtonReturnsAtOnceAndTheWindowStaysLockedUntilTheEnd) {
  SelectNames(*window, all());
  QTest::mouseClick(window->Button10, Qt::LeftButton);
  // The batch runs on its own thread: the handler has returned, the window is still locked.
  EXPECT_TRUE(window->IsBusy());
  EXPECT_FALSE(window->Button10->isEnabled());
  bool finished = false;
  QObject::connect(window.get(), &TForm1::batchFinished, [&] { finished = true; });
  window->WaitForBatch();
  EXPECT_TRUE(finished);
  EXPECT_FALSE(window->IsBusy());
  EXPECT_TRUE(window->Button10->isEnabled());
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(fs::exists(folder / ("q-p" + std::to_string(i) + ".jpg"))) << i;
}

TEST_F(BatchFrameTest, StopDuringAParallelBatchEndsAfterTheFileInHandAndKeepsTheSelection) {
  window->SetBatchJobs(4);
  SelectNames(*window, all());
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    if (value == 2) QTest::mouseClick(window->StopButton, Qt::LeftButton);
  });
  press("Button10");
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(fs::exists(folder / ("q-p" + std::to_string(i) + ".jpg")), i < 2) << i;
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(SelectedNames(*window), all());
  EXPECT_TRUE(window->Button10->isEnabled());
}

TEST_F(BatchFrameTest, KeepDateIsReadAnewForEachFile) {
  window->SetBatchJobs(1);
  std::tm t{};
  t.tm_year = 2003 - 1900;
  t.tm_mon = 4;
  t.tm_mday = 6;
  t.tm_hour = 10;
  t.tm_min = 15;
  t.tm_sec = 36;
  t.tm_isdst = -1;
  for (int i = 0; i < 3; ++i)
    ApplyFileStamp(folder / ("p" + std::to_string(i) + ".jpg"), PackFileStamp(t));
  const FileStamp old = ReadFileStamp(folder / "p0.jpg");
  SelectNames(*window, {"p0.jpg", "p1.jpg", "p2.jpg"});
  window->CheckBox1->setChecked(true);
  // Cleared once the first file is done: the second and third get fresh times.
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    if (value == 1) window->CheckBox1->setChecked(false);
  });
  press("Button10");
  EXPECT_EQ(ReadFileStamp(folder / "q-p0.jpg"), old);
  EXPECT_NE(ReadFileStamp(folder / "q-p1.jpg"), old);
  EXPECT_NE(ReadFileStamp(folder / "q-p2.jpg"), old);
}

TEST_F(BatchFrameTest, ThePixelFieldAndMethodSliderAreReadAnewForEachFile) {
  window->SetBatchJobs(1);
  SelectNames(*window, {"p0.jpg", "p1.jpg"});
  window->Edit2->setText("32");
  window->TrackBar2->setValue(1);
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    if (value != 1) return;
    window->Edit2->setText("20");
    window->TrackBar2->setValue(0);
  });
  press("Button2");
  TJPEGImage first = ReadJpegFile(folder / "mini-p0.jpg");
  TJPEGImage second = ReadJpegFile(folder / "mini-p1.jpg");
  EXPECT_EQ(first.width(), 32);
  EXPECT_EQ(second.width(), 20);
  // The second file's bytes are those of pixtrel-batch with the new field and method.
  const fs::path twin = environment.makeFolder("twin");
  fs::copy_file(folder / "p1.jpg", twin / "p1.jpg");
  const RunResult tool = RunBatchTool(
      {"resize-jpg", "--pixels", "20", "--method", "normal", "-q", "-C", twin.string(), "p1.jpg"});
  ASSERT_EQ(tool.exitCode, 0) << tool.err;
  EXPECT_EQ(ReadFileBytes(twin / "mini-p1.jpg"), ReadFileBytes(folder / "mini-p1.jpg"));
}

TEST_F(BatchFrameTest, ATurnChangedDuringARotateNamesTheRestAsTheyAreTurned) {
  window->SetBatchJobs(1);
  ClickTab(*window, TForm1::TabRotate);
  SelectNames(*window, {"p0.jpg", "p1.jpg", "p2.jpg"});
  window->Radio2->setItemIndex(0);  // 90 degrees to right
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    if (value == 1) window->Radio2->setItemIndex(1);  // 90 degrees to left
  });
  press("Button8");
  EXPECT_TRUE(fs::exists(folder / "right-p0.jpg"));
  EXPECT_FALSE(fs::exists(folder / "right-p1.jpg"));
  EXPECT_FALSE(fs::exists(folder / "right-p2.jpg"));
  // Each later file is named and turned as pixtrel-batch names and turns it with --turn left.
  const fs::path twin = environment.makeFolder("twin");
  for (const char* name : {"p1.jpg", "p2.jpg"}) {
    fs::copy_file(folder / name, twin / name);
    const RunResult tool =
        RunBatchTool({"rotate", "--turn", "left", "-q", "-C", twin.string(), name});
    ASSERT_EQ(tool.exitCode, 0) << tool.err;
    const std::string output = std::string("left-") + name;
    ASSERT_TRUE(fs::exists(folder / output)) << output;
    EXPECT_EQ(ReadFileBytes(twin / output), ReadFileBytes(folder / output)) << output;
  }
}

TEST_F(BatchFrameTest, WithNothingSelectedNoCommandAsksOrRecordsAnything) {
  window->Radio1->setItemIndex(2);
  const QStringList recent = window->RecentCaptions();
  const std::pair<int, const char*> commands[] = {
      {TForm1::TabJpg, "Button2"},         {TForm1::TabGif, "Button1"},
      {TForm1::TabBmp, "Button3"},         {TForm1::TabPng, "Button15"},
      {TForm1::TabWebp, "Button16"},       {TForm1::TabRotate, "Button8"},
      {TForm1::TabJpegQuality, "Button10"}};
  for (const auto& [tab, button] : commands) {
    ClickTab(*window, tab);
    SelectNames(*window, {});
    BoxAnswerer answers({QMessageBox::Ok});
    press(button);
    EXPECT_TRUE(answers.seen.empty()) << button;
    EXPECT_EQ(window->StatusPanel3->text(), "Select one or more pictures in the list first.");
    EXPECT_EQ(window->RecentCaptions(), recent) << button;
  }
  // Conversions and greyscale never ask.
  for (const auto& [tab, button] : {std::pair<int, const char*>{TForm1::TabGifToJpg, "Button4"},
                                    {TForm1::TabConvertTo, "Button17"},
                                    {TForm1::TabGreyscale, "Button13"}}) {
    ClickTab(*window, tab);
    BoxAnswerer answers({});
    press(button);
    EXPECT_TRUE(answers.seen.empty()) << button;
  }
}

TEST_F(BatchFrameTest, ADeclinedQuestionRecordsNoFolder) {
  const QString shown = QDir::toNativeSeparators(Q(folder));
  window->Radio1->setItemIndex(2);
  SelectNames(*window, {"p0.jpg"});
  {
    BoxAnswerer answers({QMessageBox::Cancel});
    press("Button2");  // resize: settle first, then record
    ASSERT_EQ(answers.seen.size(), 1u);
  }
  EXPECT_FALSE(window->RecentCaptions().contains(shown));
  ClickTab(*window, TForm1::TabRotate);
  SelectNames(*window, {"p0.jpg"});
  {
    BoxAnswerer answers({QMessageBox::Cancel});
    press("Button8");  // rotate: record first, then settle
    ASSERT_EQ(answers.seen.size(), 1u);
  }
  // Rotate asks after it would have recorded the folder, but wrote nothing: not recorded.
  EXPECT_FALSE(window->RecentCaptions().contains(shown));
  EXPECT_FALSE(fs::exists(folder / "right-p0.jpg"));
}

TEST_F(BatchFrameTest, EveryCommandRecordsTheFolderInTheRecentList) {
  const std::pair<int, const char*> buttons[] = {
      {TForm1::TabJpg, "Button2"},          {TForm1::TabGif, "Button1"},
      {TForm1::TabBmp, "Button3"},          {TForm1::TabGifToJpg, "Button4"},
      {TForm1::TabJpgToGif, "Button5"},     {TForm1::TabBmpToJpg, "Button6"},
      {TForm1::TabBmpToGif, "Button7"},     {TForm1::TabJpgToBmp, "Button9"},
      {TForm1::TabGifToBmp, "Button14"},    {TForm1::TabRotate, "Button8"},
      {TForm1::TabJpegQuality, "Button10"}, {TForm1::TabGreyscale, "Button13"},
      {TForm1::TabPng, "Button15"},         {TForm1::TabWebp, "Button16"},
      {TForm1::TabConvertTo, "Button17"}};
  int n = 0;
  for (const auto& [tab, button] : buttons) {
    const fs::path own = environment.makeFolder("recent" + std::to_string(n++));
    for (const char* name : {"a.jpg", "a.gif", "a.bmp", "a.png", "a.webp"})
      WriteFormatPicture(own / name, 8, 6, 1);
    ASSERT_TRUE(window->SetFolder(Q(own))) << button;
    ClickTab(*window, tab);
    window->FileListBox10->selectAll();
    press(button);
    EXPECT_EQ(window->RecentCaptions().value(0), QDir::toNativeSeparators(Q(own))) << button;
  }
}

TEST_F(BatchFrameTest, AWindowDestroyedDuringABatchStopsItAndLeavesOnlyWholeFiles) {
  SelectNames(*window, all());
  QTest::mouseClick(window->Button10, Qt::LeftButton);
  ASSERT_TRUE(window->IsBusy());
  window.reset();  // waits for the batch thread, which stops after the file in hand
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    if (name.rfind("q-", 0) == 0) {
      TJPEGImage written = ReadJpegFile(entry.path());
      EXPECT_NO_THROW(DecodeJpeg(written)) << name;
    }
  }
}

TEST_F(BatchFrameTest, EveryButtonRunsItsOwnCommand) {
  for (QPushButton* b : {window->Button1, window->Button2, window->Button3, window->Button4,
                         window->Button5, window->Button6, window->Button7, window->Button8,
                         window->Button9, window->Button10, window->Button13, window->Button14}) {
    const QString name = b->property("command").toString();
    ASSERT_NE(FindCommand(name.toStdString()), nullptr) << b->objectName().toStdString();
  }
  EXPECT_EQ(window->Button2->property("command").toString(),
            QString::fromStdString(ResizeCommandFor(*RowForKey("jpg")).name));
  EXPECT_EQ(window->Button8->property("command").toString(), "rotate");
  EXPECT_EQ(window->Button14->property("command").toString(), "gif2bmp");
}

}  // namespace
}  // namespace pixtrel::test

namespace pixtrel::test {
namespace {

TEST(BigFolder, TenThousandPicturesListSelectWithCtrlAAndRunAsOneBatch) {
  WindowEnvironment environment;
  const fs::path folder = environment.makeFolder("many");
  WriteTestJpeg(folder / "seed.jpg", 8, 8, 1);
  for (int i = 0; i < 10000; ++i)
    fs::copy_file(folder / "seed.jpg", folder / ("n" + std::to_string(10000 + i) + ".jpg"));
  fs::remove(folder / "seed.jpg");
  Store("Start", Q(folder));
  std::unique_ptr<TForm1> window = StartWindow();
  ClickTab(*window, TForm1::TabGreyscale);
  ASSERT_EQ(window->FileListBox10->count(), 10000);
  EXPECT_EQ(window->FileListBox10->item(0)->text(), "n10000.jpg");
  EXPECT_EQ(window->FileListBox10->item(9999)->text(), "n19999.jpg");
  window->FileListBox10->setFocus();
  QTest::keyClick(window->FileListBox10, Qt::Key_A, Qt::ControlModifier);
  ASSERT_EQ(window->FileListBox10->selectedItems().size(), 10000);
  QTest::mouseClick(window->Button13, Qt::LeftButton);
  window->WaitForBatch();
  auto* bar = window->ProgressBar1;
  EXPECT_EQ(bar->maximum(), 10000);
  EXPECT_EQ(bar->value(), 10000);
  EXPECT_TRUE(fs::exists(folder / "bw-n10000.jpg"));
  EXPECT_TRUE(fs::exists(folder / "bw-n19999.jpg"));
  EXPECT_EQ(window->FileListBox10->count(), 20000);
}

}  // namespace
}  // namespace pixtrel::test
