// The batch frame: prologue order per command family, the walk over a live selection, progress,
// failure and stop handling, the save modes' prefixes.
#include <gtest/gtest.h>

#include "batch/BatchRunner.h"
#include "batch/CommandId.h"
#include "batch/JpegCommands.h"
#include "codecs/bmp/Bmp.h"
#include "core/Errors.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// A host that records every hook call in order.
class RecordingHost : public BatchHost {
 public:
  std::vector<std::string> names;
  std::vector<bool> selected;
  SaveMode mode = SaveMode::AddPrefix;
  bool answer = true;
  bool keep = false;
  int stopAfter = -1;
  std::vector<std::string> log;
  std::function<void(int)> onItem;           // called when the walk reads an item's flag
  std::function<BatchOptions()> optionsNow;  // the controls as the batch reads them
  std::vector<FailureChoice> choices;        // answers to failures, in turn; Stop when used up

  int itemCount() override { return static_cast<int>(names.size()); }
  bool itemSelected(int i) override {
    if (onItem) onItem(i);
    return selected[i];
  }
  std::string itemName(int i) override { return names[i]; }
  int selectedCount() override {
    return static_cast<int>(std::count(selected.begin(), selected.end(), true));
  }
  SaveMode saveMode() override { return mode; }
  bool keepDate() override { return keep; }
  BatchOptions options() override { return optionsNow ? optionsNow() : BatchOptions{}; }

  bool confirmOverwrite() override {
    log.push_back("confirm");
    return answer;
  }
  void recordFolder() override { log.push_back("record"); }
  void showProgress(int maximum) override { log.push_back("show " + std::to_string(maximum)); }
  void advanceProgress() override { log.push_back("advance"); }
  void hideProgress() override { log.push_back("hide"); }
  void refresh() override { log.push_back("refresh"); }
  FailureChoice fileFailed(const std::string& name, const std::string& message) override {
    log.push_back("failed " + name + ": " + message);
    if (choices.empty()) return FailureChoice::Stop;
    const FailureChoice choice = choices.front();
    choices.erase(choices.begin());
    return choice;
  }
  bool stopRequested() override {
    return stopAfter >= 0 && std::count(log.begin(), log.end(), "advance") >= stopAfter;
  }
};

// A command whose per-file work logs the output path it would write.
BatchCommand FakeCommand(Prologue prologue, RecordingHost& host, const std::string& failOn = "") {
  BatchCommand c;
  c.name = "fake";
  c.prologue = prologue;
  c.prefixWord = [](const BatchOptions&) { return std::string("mini-"); };
  c.outputName = [](const std::string& n, const std::string& p, const BatchOptions&) {
    return p + n;
  };
  c.run = [&host, failOn](const FileTask& task) {
    if (task.name == failOn) throw Exception("Bitmap image is not valid");
    host.log.push_back("run " + task.outputPrefix + task.name);
  };
  return c;
}

using Log = std::vector<std::string>;

TEST(BatchRunner, ResizeFamilySettlesFirst) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg", "b.jpg", "c.jpg"};
  host.selected = {true, false, true};
  host.mode = SaveMode::Overwrite;
  const BatchResult r =
      RunBatch(FakeCommand(Prologue::SettleRecordShow, host), folder.path(), host);
  EXPECT_EQ(r.outcome, BatchOutcome::Done);
  EXPECT_EQ(r.processed, 2);
  EXPECT_EQ(host.log, (Log{"confirm", "record", "show 2", "run a.jpg", "advance", "run c.jpg",
                           "advance", "refresh", "hide"}));
}

TEST(BatchRunner, DeclinedQuestion) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg"};
  host.selected = {true};
  host.mode = SaveMode::Overwrite;
  host.answer = false;
  EXPECT_EQ(RunBatch(FakeCommand(Prologue::SettleRecordShow, host), folder.path(), host).outcome,
            BatchOutcome::Declined);
  EXPECT_EQ(host.log, (Log{"confirm"}));
  host.log.clear();
  // Rotate and quality record the folder before they ask.
  EXPECT_EQ(RunBatch(FakeCommand(Prologue::RecordSettleShow, host), folder.path(), host).outcome,
            BatchOutcome::Declined);
  EXPECT_EQ(host.log, (Log{"record", "confirm"}));
}

TEST(BatchRunner, PrefixPerSaveMode) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"image1.jpg"};
  host.selected = {true};
  host.mode = SaveMode::Subfolder;
  RunBatch(FakeCommand(Prologue::RecordSettleShow, host), folder.path(), host);
  EXPECT_EQ(host.log[2], "run vantro/image1.jpg");
  EXPECT_TRUE(fs::is_directory(folder / "vantro"));
  host.log.clear();
  host.mode = SaveMode::AddPrefix;
  RunBatch(FakeCommand(Prologue::RecordSettleShow, host), folder.path(), host);
  EXPECT_EQ(host.log[2], "run mini-image1.jpg");
  // Conversions and greyscale never read the save mode.
  host.log.clear();
  host.mode = SaveMode::Overwrite;
  RunBatch(FakeCommand(Prologue::RecordShow, host), folder.path(), host);
  EXPECT_EQ(host.log, (Log{"record", "show 1", "run image1.jpg", "advance", "refresh", "hide"}));
}

TEST(BatchRunner, NothingSelected) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg"};
  host.selected = {false};
  host.mode = SaveMode::Subfolder;
  RunBatch(FakeCommand(Prologue::SettleRecordShow, host), folder.path(), host);
  EXPECT_EQ(host.log, (Log{"record", "show 0", "refresh", "hide"}));
  EXPECT_TRUE(fs::is_directory(folder / "vantro"));
}

TEST(BatchRunner, SelectionIsReadWhenTheWalkReachesEachItem) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg", "b.jpg", "c.jpg"};
  host.selected = {true, false, true};
  host.onItem = [&](int i) {
    if (i == 1) host.selected = {true, true, false};  // the user changes the selection meanwhile
  };
  RunBatch(FakeCommand(Prologue::RecordShow, host), folder.path(), host);
  EXPECT_EQ(host.log, (Log{"record", "show 2", "run a.jpg", "advance", "run b.jpg", "advance",
                           "refresh", "hide"}));
}

TEST(BatchRunner, AFailingFileEndsTheRun) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg", "b.jpg", "c.jpg"};
  host.selected = {true, true, true};
  const BatchResult r =
      RunBatch(FakeCommand(Prologue::RecordShow, host, "b.jpg"), folder.path(), host);
  EXPECT_EQ(r.outcome, BatchOutcome::Failed);
  EXPECT_EQ(r.failedName, "b.jpg");
  EXPECT_EQ(r.message, "Bitmap image is not valid");
  EXPECT_EQ(r.processed, 1);
  EXPECT_TRUE(r.skipped.empty());
  // The list is refreshed so the file written shows, and the bar is hidden.
  EXPECT_EQ(host.log, (Log{"record", "show 3", "run a.jpg", "advance",
                           "failed b.jpg: Bitmap image is not valid", "refresh", "hide"}));
}

TEST(BatchRunner, SkipGoesOnAndAsksAgainAtTheNextFailure) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg", "b.jpg", "c.jpg", "d.jpg"};
  host.selected = {true, true, true, true};
  host.choices = {FailureChoice::Skip};
  BatchCommand c = FakeCommand(Prologue::RecordShow, host);
  c.run = [&host](const FileTask& task) {
    if (task.name == "b.jpg" || task.name == "d.jpg") throw Exception("Stream read error");
    host.log.push_back("run " + task.name);
  };
  const BatchResult r = RunBatch(c, folder.path(), host);
  // b is skipped; d fails too and the host, asked again, stops there.
  EXPECT_EQ(r.outcome, BatchOutcome::Failed);
  EXPECT_EQ(r.failedName, "d.jpg");
  EXPECT_EQ(r.processed, 2);
  EXPECT_EQ(r.selected, 4);
  ASSERT_EQ(r.skipped.size(), 1u);
  EXPECT_EQ(r.skipped[0].name, "b.jpg");
  EXPECT_EQ(r.skipped[0].message, "Stream read error");
  EXPECT_EQ(host.log, (Log{"record", "show 4", "run a.jpg", "advance",
                           "failed b.jpg: Stream read error", "advance", "run c.jpg", "advance",
                           "failed d.jpg: Stream read error", "refresh", "hide"}));
}

TEST(BatchRunner, SkipAllAsksOnceAndWritesEveryGoodFile) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"};
  host.selected = {true, true, true, true, true};
  host.choices = {FailureChoice::SkipAll};
  BatchCommand c = FakeCommand(Prologue::RecordShow, host);
  c.run = [&host](const FileTask& task) {
    if (task.name != "c.jpg" && task.name != "e.jpg") throw Exception("Invalid GIF signature");
    host.log.push_back("run " + task.name);
  };
  const BatchResult r = RunBatch(c, folder.path(), host);
  EXPECT_EQ(r.outcome, BatchOutcome::Done);
  EXPECT_EQ(r.processed, 2);
  ASSERT_EQ(r.skipped.size(), 3u);
  EXPECT_EQ(r.skipped[0].name, "a.jpg");
  EXPECT_EQ(r.skipped[1].name, "b.jpg");
  EXPECT_EQ(r.skipped[2].name, "d.jpg");
  EXPECT_EQ(std::count_if(host.log.begin(), host.log.end(),
                          [](const std::string& line) { return line.rfind("failed", 0) == 0; }),
            1);
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "advance"), 5);
  EXPECT_EQ(host.log.back(), "hide");
}

TEST(BatchRunner, StopBetweenFiles) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg", "b.jpg", "c.jpg"};
  host.selected = {true, true, true};
  host.stopAfter = 1;
  const BatchResult r = RunBatch(FakeCommand(Prologue::RecordShow, host), folder.path(), host);
  EXPECT_EQ(r.outcome, BatchOutcome::Stopped);
  EXPECT_EQ(r.processed, 1);
  EXPECT_EQ(host.log.back(), "hide");
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "refresh"), 1);
}

TEST(BatchRunner, OutOfMemoryIsAFailureWithAMessage) {
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg"};
  host.selected = {true};
  BatchCommand c = FakeCommand(Prologue::RecordShow, host);
  c.run = [](const FileTask&) { throw std::bad_alloc(); };
  const BatchResult r = RunBatch(c, folder.path(), host);
  EXPECT_EQ(r.outcome, BatchOutcome::Failed);
  EXPECT_EQ(r.message, "Out of memory");
}

TEST(BatchRunner, AnythingThrownFailsItsFileOnly) {
  // Not every library throws a std::exception; whatever it throws fails the file, and with
  // "Skip this file" the batch goes on with the next one.
  TempFolder folder;
  RecordingHost host;
  host.names = {"a.jpg", "b.jpg", "c.jpg"};
  host.selected = {true, true, true};
  host.choices = {FailureChoice::Skip};
  BatchCommand c = FakeCommand(Prologue::RecordShow, host);
  c.run = [&host](const FileTask& task) {
    if (task.name == "b.jpg") throw 42;
    host.log.push_back("run " + task.name);
  };
  const BatchResult r = RunBatch(c, folder.path(), host);
  EXPECT_EQ(r.outcome, BatchOutcome::Done);
  EXPECT_EQ(r.processed, 2);
  ASSERT_EQ(r.skipped.size(), 1u);
  EXPECT_EQ(r.skipped[0].name, "b.jpg");
  EXPECT_EQ(r.skipped[0].message, "Unknown error");
  EXPECT_NE(std::find(host.log.begin(), host.log.end(), "run c.jpg"), host.log.end());
}

TEST(BatchRunner, ATurnChangedDuringARotateNamesEachFileAsItIsTurned) {
  TempFolder folder;
  // 3 x 1 pictures, red on the left: turned right the red pixel is on top, turned left at the
  // bottom.
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
    Bitmap24 picture(3, 1, 0);
    picture.row(0)[2] = 255;  // blue, green, red
    WriteBmpFile(picture, folder / name);
  }
  RecordingHost host;
  host.names = {"a.bmp", "b.bmp", "c.bmp"};
  host.selected = {true, true, true};
  host.optionsNow = [&host] {
    BatchOptions options;
    // The user picks "90 degrees to left" once the first file is done.
    const bool firstDone = std::count(host.log.begin(), host.log.end(), "advance") > 0;
    options.turn = firstDone ? TurnChoice::Left : TurnChoice::Right;
    return options;
  };
  ASSERT_EQ(RunBatch(CommandFor(CommandId::Rotate), folder.path(), host).outcome,
            BatchOutcome::Done);
  const auto redAt = [](const fs::path& file) {
    if (!fs::exists(file)) return -2;
    const Bitmap24 turned = ToBitmap24(ReadBmpFile(file));
    EXPECT_EQ(turned.width(), 1);
    EXPECT_EQ(turned.height(), 3);
    for (int y = 0; y < turned.height(); ++y)
      if (turned.row(y)[2] == 255) return y;
    return -1;
  };
  EXPECT_EQ(redAt(folder / "right-a.bmp"), 0);
  EXPECT_EQ(redAt(folder / "left-b.bmp"), 2);
  EXPECT_EQ(redAt(folder / "left-c.bmp"), 2);
  EXPECT_FALSE(fs::exists(folder / "right-b.bmp"));
  EXPECT_FALSE(fs::exists(folder / "right-c.bmp"));
}

TEST(BatchRunner, TheSubfolderAndOverwriteModesKeepTheirPrefixWhateverTheTurn) {
  TempFolder folder;
  WriteBmpFile(Bitmap24(3, 1), folder / "a.bmp");
  WriteBmpFile(Bitmap24(3, 1), folder / "b.bmp");
  RecordingHost host;
  host.names = {"a.bmp", "b.bmp"};
  host.selected = {true, true};
  host.mode = SaveMode::Subfolder;
  host.optionsNow = [&host] {
    BatchOptions options;
    const bool firstDone = std::count(host.log.begin(), host.log.end(), "advance") > 0;
    options.turn = firstDone ? TurnChoice::UpsideDown : TurnChoice::Right;
    return options;
  };
  ASSERT_EQ(RunBatch(CommandFor(CommandId::Rotate), folder.path(), host).outcome,
            BatchOutcome::Done);
  EXPECT_EQ(ToBitmap24(ReadBmpFile(folder / "vantro" / "a.bmp")).width(), 1);
  EXPECT_EQ(ToBitmap24(ReadBmpFile(folder / "vantro" / "b.bmp")).width(), 3);
}

TEST(BatchCommands, JpegCommandsNamingAndFamilies) {
  const BatchCommand q = QualityCommand();
  EXPECT_EQ(q.prologue, Prologue::RecordSettleShow);
  EXPECT_TRUE(q.keepsDate);
  EXPECT_EQ(q.outputName("image1.jpg", "q-", BatchOptions{}), "q-image1.jpg");
  const BatchCommand g = GreyscaleCommand();
  EXPECT_FALSE(g.honoursSaveMode());
  EXPECT_FALSE(g.keepsDate);
  EXPECT_EQ(g.outputName("bw-image1.jpg", "vantro/", BatchOptions{}), "bw-bw-image1.jpg");
}

}  // namespace

// The batch reaches its files through the absolute folder it is given, wherever the process's
// current directory is, and its messages name them as the user did: bare in the window, with the
// folder as typed for pixtrel-batch -C.
TEST(BatchRunner, TheFolderIsReachedByItsPathAndNamedAsTheUserNamedIt) {
  TempFolder folder, elsewhere;
  WriteBmpFile(Bitmap24(3, 1), folder / "a.bmp");
  struct InFolder {
    fs::path before = fs::current_path();
    explicit InFolder(const fs::path& folder) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(before); }
  } inElsewhere(elsewhere.path());
  for (const std::string shown : {"", "photos"}) {
    RecordingHost host;
    host.names = {"a.bmp", "gone.bmp"};
    host.selected = {true, true};
    host.choices = {FailureChoice::Skip};
    host.optionsNow = [] {
      BatchOptions options;
      options.turn = TurnChoice::Right;
      return options;
    };
    const BatchResult r =
        RunBatch(CommandFor(CommandId::Rotate), FilePath(folder.path(), shown), host);
    EXPECT_EQ(r.processed, 1);
    ASSERT_EQ(r.skipped.size(), 1u);
    EXPECT_EQ(r.skipped[0].message, "Cannot open file " + (shown.empty() ? "" : shown + "/") +
                                        "gone.bmp: No such file or directory");
    EXPECT_EQ(ToBitmap24(ReadBmpFile(folder / "right-a.bmp")).width(), 1);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    fs::remove(folder / "right-a.bmp");
  }
}

TEST(BatchRunner, ARelativeFolderIsRefusedBeforeAnythingIsDone) {
  RecordingHost host;
  host.names = {"a.jpg"};
  host.selected = {true};
  EXPECT_THROW(RunBatch(FakeCommand(Prologue::RecordShow, host), fs::path("photos"), host),
               std::invalid_argument);
  EXPECT_TRUE(host.log.empty());
}
