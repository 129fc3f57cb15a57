// Command buttons running real batches through the core: outputs, the progress bar, the
// refreshed list, the overwrite question, a failing file, Stop and Esc, and the lock that keeps
// a second command or a folder change out of a running batch.
#include <fcntl.h>
#include <sys/stat.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <algorithm>
#include <fstream>
#include <map>

#include "app/FileListBox.h"
#include "app/FolderTree.h"
#include "app/MessageBoxes.h"
#include "app/RadioGroup.h"
#include "batch/BatchCommand.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifRaster.h"
#include "codecs/gif/GifWriter.h"
#include "codecs/jpeg/JpegImage.h"
#include "io/FileBytes.h"
#include "languages/LanguageTable.h"
#include "tests/window/FormatPictures.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

const QString kOverwriteQuestion =
    "All the original files will be overwritten!! Are you sure you want to do this?";

// One row per command button: the tab it sits on, the pixtrel-batch command it must run with
// the same options, the files in the folder (the first and the last are selected), the save
// mode picked on the Options tab and the outputs the run must leave.
struct ButtonRow {
  const char* button;
  int tab;
  const char* command;
  std::vector<std::string> files;
  int saveMode;  // Radio1: 0 prefix, 1 subfolder, 2 overwrite
  std::vector<std::string> outputs;
  const char* pixelsEdit = nullptr;    // resize buttons: their tab's field and slider
  const char* methodSlider = nullptr;  // set to Normal; the other resize sliders stay at Better
  bool keepDate = false;
  // Options tab: smaller but not larger, orientation ignored, metadata removed.
  bool pictureOptions = false;
  bool orientationTags = false;  // JPEG, PNG and WebP sources say "turn right"
  // Rotate tab: 1 turns JPEG files without loss, 2 also trims the partial edge blocks.
  int lossless = 0;
};

void PrintTo(const ButtonRow& row, std::ostream* os) {
  *os << row.button << " " << row.command << (row.pictureOptions ? " with picture options" : "");
}

const std::vector<std::string> kJpegs = {"a.jpg", "b.jpg", "c.jpg"};
const std::vector<std::string> kGifs = {"a.gif", "b.gif", "c.gif"};
const std::vector<std::string> kBmps = {"a.bmp", "b.bmp", "c.bmp"};
const std::vector<std::string> kPngs = {"a.png", "b.png", "c.png"};
const std::vector<std::string> kWebps = {"a.webp", "b.webp", "c.webp"};

const ButtonRow kButtonRows[] = {
    {"Button2",
     TForm1::TabJpg,
     "resize-jpg",
     kJpegs,
     0,
     {"mini-a.jpg", "mini-c.jpg"},
     "Edit2",
     "TrackBar2",
     true},
    {"Button1",
     TForm1::TabGif,
     "resize-gif",
     kGifs,
     1,
     {"vantro/a.gif", "vantro/c.gif"},
     "Edit1",
     "TrackBar1"},
    {"Button3", TForm1::TabBmp, "resize-bmp", kBmps, 2, {"a.bmp", "c.bmp"}, "Edit3", "TrackBar3"},
    {"Button4", TForm1::TabGifToJpg, "gif2jpg", kGifs, 1, {"a.gif.jpg", "c.gif.jpg"}},
    {"Button5", TForm1::TabJpgToGif, "jpg2gif", kJpegs, 0, {"a.jpg.gif", "c.jpg.gif"}},
    {"Button6", TForm1::TabBmpToJpg, "bmp2jpg", kBmps, 1, {"a.bmp.jpg", "c.bmp.jpg"}},
    {"Button7", TForm1::TabBmpToGif, "bmp2gif", kBmps, 0, {"a.bmp.gif", "c.bmp.gif"}},
    {"Button9", TForm1::TabJpgToBmp, "jpg2bmp", kJpegs, 1, {"a.jpg.bmp", "c.jpg.bmp"}},
    {"Button14", TForm1::TabGifToBmp, "gif2bmp", kGifs, 0, {"a.gif.bmp", "c.gif.bmp"}},
    {"Button8",
     TForm1::TabRotate,
     "rotate",
     {"a.jpg", "b.gif", "c.bmp"},
     0,
     {"left-a.jpg", "left-c.bmp"}},
    // JPEG files turned without loss, their partial edge blocks trimmed (48 x 30 and 56 x 30
    // pictures are no whole number of blocks); the GIF as before.
    {"Button8",
     TForm1::TabRotate,
     "rotate",
     {"a.jpg", "b.gif", "c.jpg"},
     1,
     {"vantro/a.jpg", "vantro/c.jpg"},
     nullptr,
     nullptr,
     false,
     false,
     false,
     2},
    {"Button10", TForm1::TabJpegQuality, "quality", kJpegs, 2, {"a.jpg", "c.jpg"}},
    {"Button13", TForm1::TabGreyscale, "greyscale", kJpegs, 1, {"bw-a.jpg", "bw-c.jpg"}},
    {"Button15",
     TForm1::TabPng,
     "resize-png",
     kPngs,
     0,
     {"mini-a.png", "mini-c.png"},
     "Edit15",
     "TrackBar15"},
    {"Button16",
     TForm1::TabWebp,
     "resize-webp",
     kWebps,
     1,
     {"vantro/a.webp", "vantro/c.webp"},
     "Edit16",
     "TrackBar16"},
    // a.jpg (48 pixels wide) is small enough already; c.jpg (56) is made smaller.
    {"Button2",
     TForm1::TabJpg,
     "resize-jpg",
     kJpegs,
     0,
     {"mini-a.jpg", "mini-c.jpg"},
     "Edit2",
     nullptr,
     false,
     true,
     true},
};

// The controls every row sets away from their design values; pixtrel-batch gets the same.
const std::map<std::string, std::string> kPixelFields = {
    {"Edit1", "23"}, {"Edit2", "50"}, {"Edit3", "29"}, {"Edit15", "31"}, {"Edit16", "27"}};
const char* const kMethodSliders[] = {"TrackBar1", "TrackBar2", "TrackBar3", "TrackBar15",
                                      "TrackBar16"};
constexpr int kSaveQuality = 63;   // TrackBar10, design value 89
constexpr int kQualityValue = 41;  // TrackBar7, design value 85
constexpr int kTurnLeft = 1;       // Radio2, design value 0 (right)
constexpr std::time_t kSourceTime = 946728000;
const char* const kSaveModes[] = {"prefix", "subfolder", "overwrite"};

void WriteSource(const fs::path& file, unsigned seed, bool orientationTag) {
  WriteFormatPicture(file, 44 + static_cast<int>(seed) * 4, 30, seed, orientationTag);
  struct timespec times[2] = {{kSourceTime, 0}, {kSourceTime, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// Every file under folder, by its path relative to it.
std::map<std::string, Bytes> FilesUnder(const fs::path& folder) {
  std::map<std::string, Bytes> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).string()] = ReadFileBytes(entry.path());
    }
  }
  return files;
}

std::time_t Mtime(const fs::path& file) {
  struct stat st {};
  EXPECT_EQ(stat(file.c_str(), &st), 0) << file;
  return st.st_mtime;
}

class EveryButton : public ::testing::TestWithParam<ButtonRow> {};

TEST_P(EveryButton, WritesWhatPixtrelBatchWritesWithTheSameOptions) {
  const ButtonRow& row = GetParam();
  for (const std::string& encoder : MissingEncoders(row.files))
    PIXTREL_SKIP_MISSING_TOOL() << encoder
                                << " is needed to make the sources (Debian: libheif-examples, "
                                << "libavif-bin)";
  WindowEnvironment environment;
  const fs::path folder = environment.makeFolder("pictures");
  const fs::path twin = environment.makeFolder("twin");
  std::map<std::string, Bytes> sources;
  for (std::size_t i = 0; i < row.files.size(); ++i) {
    WriteSource(folder / row.files[i], static_cast<unsigned>(i + 1), row.orientationTags);
    fs::copy_file(folder / row.files[i], twin / row.files[i]);
    struct timespec times[2] = {{kSourceTime, 0}, {kSourceTime, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (twin / row.files[i]).c_str(), times, 0), 0);
    sources[row.files[i]] = ReadFileBytes(folder / row.files[i]);
  }

  Store("Start", Q(folder));
  std::unique_ptr<TForm1> window = StartWindow();
  for (const auto& [edit, text] : kPixelFields) {
    Control<QLineEdit>(*window, edit.c_str())->setText(QString::fromStdString(text));
  }
  for (const char* slider : kMethodSliders) {
    const bool own = row.methodSlider && std::string(slider) == row.methodSlider;
    Control<QSlider>(*window, slider)->setValue(own ? 0 : 1);
  }
  Control<QCheckBox>(*window, "CheckBox2")->setChecked(row.pictureOptions);
  Control<QCheckBox>(*window, "CheckBox3")->setChecked(row.pictureOptions);
  Control<QComboBox>(*window, "ComboBox2")->setCurrentIndex(row.pictureOptions ? 1 : 0);
  Control<QSlider>(*window, "TrackBar10")->setValue(kSaveQuality);
  Control<QSlider>(*window, "TrackBar7")->setValue(kQualityValue);
  Control<RadioGroup>(*window, "Radio2")->setItemIndex(kTurnLeft);
  Control<RadioGroup>(*window, "Radio1")->setItemIndex(row.saveMode);
  Control<QCheckBox>(*window, "CheckBox1")->setChecked(row.keepDate);
  Control<QCheckBox>(*window, "CheckBox4")->setChecked(row.lossless > 0);
  Control<QCheckBox>(*window, "CheckBox5")->setChecked(row.lossless == 2);
  ClickTab(*window, row.tab);
  const QString first = QString::fromStdString(row.files.front());
  const QString last = QString::fromStdString(row.files.back());
  SelectNames(*window, {first, last});
  ASSERT_EQ(SelectedNames(*window), QStringList({first, last}));
  BoxAnswerer answers({QMessageBox::Ok});
  QTest::mouseClick(Control<QPushButton>(*window, row.button), Qt::LeftButton);
  window->WaitForBatch();
  QApplication::processEvents();
  EXPECT_EQ(answers.seen.size(), row.saveMode == 2 ? 1u : 0u);

  std::vector<std::string> args = {row.command,
                                   "-q",
                                   "--save",
                                   kSaveModes[row.saveMode],
                                   "--yes",
                                   "--jpeg-quality",
                                   std::to_string(kSaveQuality),
                                   "--quality",
                                   std::to_string(kQualityValue),
                                   "--turn",
                                   "left"};
  if (row.pixelsEdit) {
    args.insert(args.end(), {"--pixels", kPixelFields.at(row.pixelsEdit)});
    if (row.methodSlider) args.insert(args.end(), {"--method", "normal"});
  }
  if (row.pictureOptions) {
    args.insert(args.end(), {"--shrink-only", "--ignore-orientation", "--metadata", "strip"});
  }
  if (row.keepDate) args.push_back("--keep-date");
  if (row.lossless) args.push_back(row.lossless == 2 ? "--lossless=trim" : "--lossless");
  args.insert(args.end(), {row.files.front(), row.files.back()});
  const RunResult tool = RunBatchTool(args, twin);
  ASSERT_EQ(tool.exitCode, 0) << tool.err;

  const std::map<std::string, Bytes> written = FilesUnder(folder);
  for (const std::string& output : row.outputs) {
    ASSERT_TRUE(written.count(output)) << output;
    if (sources.count(output)) {
      EXPECT_NE(written.at(output), sources.at(output)) << output;
    }
  }
  EXPECT_EQ(written.size(), row.files.size() + (row.saveMode == 2 ? 0 : row.outputs.size()));
  EXPECT_TRUE(written == FilesUnder(twin)) << "the window and pixtrel-batch wrote different files";
  if (row.keepDate) {
    for (const std::string& output : row.outputs) {
      EXPECT_EQ(Mtime(folder / output), kSourceTime) << output;
      EXPECT_EQ(Mtime(twin / output), kSourceTime) << output;
    }
  }
  if (row.pictureOptions) {
    // Each of the options changes what is written, so a window that dropped one would differ.
    for (const char* dropped : {"--shrink-only", "--ignore-orientation", "--metadata"}) {
      const fs::path other = environment.makeFolder(std::string("without") + dropped);
      std::vector<std::string> fewer;
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == dropped) {
          if (args[i] == std::string("--metadata")) ++i;  // and its value
          continue;
        }
        fewer.push_back(args[i]);
      }
      for (const std::string& file : row.files)
        WriteBytes(other / file, sources.at(file));
      ASSERT_EQ(RunBatchTool(fewer, other).exitCode, 0);
      EXPECT_FALSE(FilesUnder(other) == written) << "the same files without " << dropped;
    }
  }
}

std::string RowName(const ::testing::TestParamInfo<ButtonRow>& info) {
  std::string name = std::string(info.param.button) + "_" + info.param.command;
  if (info.param.pictureOptions) name += "_with_picture_options";
  if (info.param.lossless) name += "_without_loss";
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Buttons, EveryButton, ::testing::ValuesIn(kButtonRows), RowName);

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
  EXPECT_EQ(bar->maximum(), 1);
  EXPECT_EQ(bar->value(), 1);
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "PIL reads the result independently";
  const auto pil = ReadWithPil(folder / "bw-b.jpg");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read bw-b.jpg";
  EXPECT_EQ(pil->mode, "L");
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
  BoxAnswerer answers({});  // Esc: Stop, the box's default
  click("Button10");

  ASSERT_EQ(answers.seen.size(), 1u);
  EXPECT_EQ(answers.seen[0].title, "Pixtrel");
  EXPECT_EQ(answers.seen[0].icon, QMessageBox::Critical);
  // The box names the file.
  EXPECT_EQ(answers.seen[0].text, WithFullStop("b.jpg: " + QString::fromStdString(message)));
  EXPECT_TRUE(fs::exists(folder / "q-a.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-b.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-c.jpg"));
  // The bar, which would stay at the count reached, is hidden; the list is refreshed so the
  // file written shows, with the same files selected.
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), 3);
  EXPECT_EQ(bar->value(), 1);
  EXPECT_TRUE(ListedNames(*window).contains("q-a.jpg"));
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
  {
    // In French, with French quotation marks and spacing.
    window->ChooseLanguage(12);
    BoxAnswerer answers({QMessageBox::Ok});
    window->RunCommand("no-such-command");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text,
              "La commande « no-such-command » n’est pas disponible dans cette version de "
              "Pixtrel ; rien n’a été fait.");
    EXPECT_EQ(answers.seen[0].icon, QMessageBox::Information);
    window->ChooseLanguage(kEnglish);
  }
  EXPECT_TRUE(barValues.empty());

  // Each button names the command it runs, and this build has every one of them.
  for (const ButtonRow& row : kButtonRows) {
    auto* button = Control<QPushButton>(*window, row.button);
    ASSERT_NE(button, nullptr) << row.button;
    EXPECT_EQ(button->property("command").toString(), QString::fromLatin1(row.command))
        << row.button;
    EXPECT_NE(FindCommand(row.command), nullptr) << row.command;
  }
  EXPECT_FALSE(fs::exists(folder / "q-a.jpg"));
}

}  // namespace
}  // namespace pixtrel::test
