// Command buttons running real batches through the core: outputs, the progress bar, the
// refreshed list, the overwrite question, a failing file, Stop and Esc, and the lock that keeps
// a second command or a folder change out of a running batch.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <fstream>

#include "app/FileListBox.h"
#include "app/FolderTree.h"
#include "app/MessageBoxes.h"
#include "app/RadioGroup.h"
#include "batch/BatchCommand.h"
#include "formats/FileBytes.h"
#include "formats/JpegImage.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

const QString kOverwriteQuestion =
    "All the original files will be overwritten!! Are you sure you want to do this?";

class BatchButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    WriteTestJpeg(folder / "a.jpg", 48, 32, 1);
    WriteTestJpeg(folder / "b.jpg", 40, 30, 2);
    WriteTestJpeg(folder / "c.jpg", 32, 48, 3);
    Store("Start", Q(folder));
    window = StartWindow();
    ClickTab(*window, TForm1::TabJpegQuality);
    bar = Control<QProgressBar>(*window, "ProgressBar1");
    // Each step the bar shows: its value, and the maximum it counts towards.
    QObject::connect(bar, &QProgressBar::valueChanged, [this](int value) {
      barValues.push_back(value);
      barMaximums.push_back(bar->isVisible() ? bar->maximum() : -1);
    });
  }

  void click(const char* button) {
    QTest::mouseClick(Control<QPushButton>(*window, button), Qt::LeftButton);
    window->WaitForBatch();
    QApplication::processEvents();
  }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
  QProgressBar* bar = nullptr;
  std::vector<int> barValues;
  std::vector<int> barMaximums;  // -1 while hidden
};

TEST_F(BatchButtonTest, QualityRunsOverTheSelectedFiles) {
  SelectNames(*window, {"a.jpg", "c.jpg"});
  Control<QSlider>(*window, "TrackBar7")->setValue(40);
  click("Button10");

  EXPECT_TRUE(fs::exists(folder / "q-a.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-b.jpg"));
  EXPECT_TRUE(fs::exists(folder / "q-c.jpg"));
  TJPEGImage result = ReadJpegFile(folder / "q-c.jpg");
  DecodeJpeg(result);
  EXPECT_EQ(result.width(), 32);
  EXPECT_EQ(result.height(), 48);
  // The same bytes as pixtrel-batch makes from the same source at the same quality.
  const fs::path twin = environment.makeFolder("twin");
  fs::copy_file(folder / "a.jpg", twin / "a.jpg");
  const RunResult tool =
      RunBatchTool({"quality", "--quality", "40", "-q", "-C", twin.string(), "a.jpg"});
  EXPECT_EQ(tool.exitCode, 0) << tool.err;
  EXPECT_EQ(ReadFileBytes(twin / "q-a.jpg"), ReadFileBytes(folder / "q-a.jpg"));

  EXPECT_EQ(bar->maximum(), 2);
  EXPECT_EQ(bar->value(), 2);
  EXPECT_EQ(barValues, std::vector<int>({1, 2}));
  EXPECT_EQ(barMaximums, std::vector<int>({2, 2}));
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "b.jpg", "c.jpg", "q-a.jpg", "q-c.jpg"}));
  EXPECT_TRUE(Control<QPushButton>(*window, "Button10")->isEnabled());
}

TEST_F(BatchButtonTest, GreyscaleWritesGreyCopies) {
  ClickTab(*window, TForm1::TabGreyscale);
  SelectNames(*window, {"b.jpg"});
  Control<RadioGroup>(*window, "Radio1")->setItemIndex(2);  // ignored by this command
  BoxAnswerer answers({});
  click("Button13");
  EXPECT_TRUE(answers.seen.empty());
  ASSERT_TRUE(fs::exists(folder / "bw-b.jpg"));
  TJPEGImage result = ReadJpegFile(folder / "bw-b.jpg");
  DecodeJpeg(result);
  EXPECT_TRUE(std::holds_alternative<PaletteBitmap>(result.raster()));
  if (auto pil = ReadWithPil(folder / "bw-b.jpg")) {
    EXPECT_EQ(pil->mode, "L");
  }
  EXPECT_EQ(bar->maximum(), 1);
  EXPECT_EQ(bar->value(), 1);
}

TEST_F(BatchButtonTest, DecliningTheOverwriteQuestionWritesNothing) {
  const Bytes before = ReadFileBytes(folder / "a.jpg");
  Control<RadioGroup>(*window, "Radio1")->setItemIndex(2);
  SelectNames(*window, {"a.jpg", "c.jpg"});
  BoxAnswerer answers({QMessageBox::Cancel});
  click("Button10");

  ASSERT_EQ(answers.seen.size(), 1u);
  EXPECT_EQ(answers.seen[0].title, "Confirm");
  EXPECT_EQ(answers.seen[0].text, kOverwriteQuestion);
  EXPECT_EQ(answers.seen[0].icon, QMessageBox::Question);
  EXPECT_EQ(answers.seen[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(answers.seen[0].defaultButton, QMessageBox::Ok);
  EXPECT_EQ(ReadFileBytes(folder / "a.jpg"), before);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename());
  EXPECT_EQ(names.size(), 3u);
  EXPECT_TRUE(barValues.empty());  // never shown
  // The list was not refreshed: the selection is as it was.
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "c.jpg"}));
}

TEST_F(BatchButtonTest, AnsweringOkOverwritesTheSources) {
  const Bytes before = ReadFileBytes(folder / "a.jpg");
  Control<RadioGroup>(*window, "Radio1")->setItemIndex(2);
  Control<QSlider>(*window, "TrackBar7")->setValue(20);
  SelectNames(*window, {"a.jpg"});
  BoxAnswerer answers({QMessageBox::Ok});
  click("Button10");
  ASSERT_EQ(answers.seen.size(), 1u);
  EXPECT_NE(ReadFileBytes(folder / "a.jpg"), before);
  EXPECT_FALSE(fs::exists(folder / "q-a.jpg"));
  EXPECT_EQ(bar->value(), 1);
}

TEST_F(BatchButtonTest, AFailingFileEndsTheBatchAndShowsItsMessage) {
  { std::ofstream(folder / "b.jpg", std::ios::trunc) << "not a picture"; }
  std::string message;
  try {
    TJPEGImage broken = ReadJpegFile(folder / "b.jpg");
    DecodeJpeg(broken);
  } catch (const std::exception& error) {
    message = error.what();
  }
  ASSERT_FALSE(message.empty());

  SelectNames(*window, {"a.jpg", "b.jpg", "c.jpg"});
  BoxAnswerer answers({QMessageBox::Ok});
  click("Button10");

  ASSERT_EQ(answers.seen.size(), 1u);
  EXPECT_EQ(answers.seen[0].title, "Pixtrel");
  EXPECT_EQ(answers.seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(answers.seen[0].buttons, QMessageBox::Ok);
  // The box names the file.
  EXPECT_EQ(answers.seen[0].text, WithFullStop("b.jpg: " + QString::fromStdString(message)));
  EXPECT_TRUE(fs::exists(folder / "q-a.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-b.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-c.jpg"));
  // The bar, which would stay at the count reached, is hidden; the list is not refreshed.
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), 3);
  EXPECT_EQ(bar->value(), 1);
  EXPECT_FALSE(ListedNames(*window).contains("q-a.jpg"));
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
  // The window is free again; the next command hides the bar at its end.
  EXPECT_TRUE(Control<QPushButton>(*window, "Button10")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(*window, "StopButton")->isVisible());
  SelectNames(*window, {"c.jpg"});
  click("Button10");
  EXPECT_FALSE(bar->isVisible());
  EXPECT_TRUE(fs::exists(folder / "q-c.jpg"));
}

TEST_F(BatchButtonTest, StopEndsTheBatchAfterTheFileInHandWithEverythingLockedMeanwhile) {
  SelectNames(*window, {"a.jpg", "b.jpg", "c.jpg"});
  bool checked = false;
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    if (value != 1 || checked) return;
    checked = true;
    for (const char* button : {"Button1", "Button2", "Button10", "Button13", "Button14"}) {
      EXPECT_FALSE(Control<QPushButton>(*window, button)->isEnabled()) << button;
    }
    EXPECT_FALSE(Control<QComboBox>(*window, "DriveComboBox10")->isEnabled());
    EXPECT_FALSE(Control<FolderTree>(*window, "DirectoryListBox10")->isEnabled());
    EXPECT_FALSE(Control<QAction>(*window, "P1")->isEnabled());
    // A second command cannot start inside this one.
    window->RunCommand("greyscale");
    EXPECT_FALSE(fs::exists(folder / "bw-a.jpg"));
    auto* stop = Control<QPushButton>(*window, "StopButton");
    EXPECT_TRUE(stop->isVisible());
    QTest::mouseClick(stop, Qt::LeftButton);
  });
  click("Button10");
  EXPECT_TRUE(checked);
  EXPECT_TRUE(fs::exists(folder / "q-a.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-b.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-c.jpg"));
  EXPECT_FALSE(bar->isVisible());
  EXPECT_TRUE(ListedNames(*window).contains("q-a.jpg"));  // stopped runs refresh the list
  EXPECT_TRUE(Control<QPushButton>(*window, "Button10")->isEnabled());
  EXPECT_TRUE(Control<FolderTree>(*window, "DirectoryListBox10")->isEnabled());
  EXPECT_TRUE(Control<QAction>(*window, "P1")->isEnabled());
  EXPECT_TRUE(Control<QAction>(*window, "M12")->isEnabled());  // the preview is never locked
}

TEST_F(BatchButtonTest, EscapeStopsTheBatchToo) {
  SelectNames(*window, {"a.jpg", "b.jpg", "c.jpg"});
  window->activateWindow();
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    if (value == 1) QTest::keyClick(window.get(), Qt::Key_Escape);
  });
  click("Button10");
  EXPECT_TRUE(fs::exists(folder / "q-a.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-b.jpg"));
}

TEST_F(BatchButtonTest, ATabPickedDuringTheBatchSetsItsMaskAfterwards) {
  SelectNames(*window, {"a.jpg", "b.jpg"});
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    if (value != 1) return;
    ClickTab(*window, TForm1::TabGif);
    EXPECT_EQ(window->FileListBox10->count(), 3);  // the walk's list stays as it is
  });
  click("Button10");
  EXPECT_TRUE(fs::exists(folder / "q-b.jpg"));
  EXPECT_EQ(window->FileListBox10->mask(), "*.gif");
  EXPECT_TRUE(ListedNames(*window).isEmpty());
}

TEST_F(BatchButtonTest, ClosingDuringTheBatchStopsItAndThenCloses) {
  SelectNames(*window, {"a.jpg", "b.jpg", "c.jpg"});
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    if (value == 1) window->close();
  });
  click("Button10");
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(fs::exists(folder / "q-b.jpg"));
  EXPECT_EQ(Stored("Start"), Q(folder));
}

TEST_F(BatchButtonTest, AMissingCommandSaysSoAndDoesNothing) {
  SelectNames(*window, {"a.jpg"});
  {
    BoxAnswerer answers({QMessageBox::Ok});
    window->RunCommand("no-such-command");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].title, "Pixtrel");
    EXPECT_TRUE(answers.seen[0].text.contains("\"no-such-command\" is not available"));
  }
  EXPECT_TRUE(barValues.empty());

  // Each button names a command of the registry; those not built yet say so when pressed.
  const char* buttons[] = {"Button1", "Button2", "Button3", "Button4",  "Button5",  "Button6",
                           "Button7", "Button8", "Button9", "Button10", "Button13", "Button14"};
  for (const char* name : buttons) {
    auto* button = Control<QPushButton>(*window, name);
    const QString command = button->property("command").toString();
    ASSERT_FALSE(command.isEmpty()) << name;
    if (FindCommand(command.toStdString())) continue;
    BoxAnswerer missing({QMessageBox::Ok});
    window->RunCommand(command);
    ASSERT_EQ(missing.seen.size(), 1u) << name;
    EXPECT_TRUE(missing.seen[0].text.contains("not available")) << name;
  }
  EXPECT_FALSE(fs::exists(folder / "q-a.jpg"));
}

}  // namespace
}  // namespace pixtrel::test
