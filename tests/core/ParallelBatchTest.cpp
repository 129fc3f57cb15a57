// The batch with several files in flight, in process with the real commands: the same bytes as
// one file at a time, the list order of the writes, a file that reads an earlier file's output,
// a failing file or write in the middle, and Stop.
#include <gtest/gtest.h>

#include <atomic>
#include <map>

#include "batch/BatchRunner.h"
#include "batch/CommandId.h"
#include "codecs/Registry.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "io/FileStamp.h"
#include "io/SafeWrite.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WriteFailure.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// Every name selected, fixed options, a chosen number of files in flight.
class ListHost : public BatchHost {
 public:
  std::vector<std::string> names;
  SaveMode mode = SaveMode::AddPrefix;
  bool keep = false;
  int inFlight = 4;
  BatchOptions settings;
  std::function<void(int)> onAdvance;  // with the count of files committed so far
  std::function<bool(int)> stopWhen;
  FailureChoice onFailure = FailureChoice::Stop;
  int advanced = 0;

  int itemCount() override { return static_cast<int>(names.size()); }
  bool itemSelected(int) override { return true; }
  std::string itemName(int i) override { return names[static_cast<std::size_t>(i)]; }
  int selectedCount() override { return itemCount(); }
  SaveMode saveMode() override { return mode; }
  bool keepDate() override { return keep; }
  BatchOptions options() override { return settings; }
  int jobs() override { return inFlight; }
  bool confirmOverwrite() override { return true; }
  void advanceProgress() override {
    ++advanced;
    if (onAdvance) onAdvance(advanced);
  }
  bool stopRequested() override { return stopWhen && stopWhen(advanced); }
  FailureChoice fileFailed(const std::string&, const std::string&) override { return onFailure; }
};

void WriteJpeg(const fs::path& file, int w, int h, unsigned seed) {
  TJPEGImage picture;
  SetJpegRaster(picture, TestPattern(w, h, seed));
  picture.Quality = 90;
  WriteJpegFile(picture, file);
}

// Ten JPEG, ten GIF and ten BMP files, interleaved: 30 names in list order.
std::vector<std::string> MixedFolder(const fs::path& folder) {
  std::vector<std::string> names;
  for (int i = 0; i < 10; ++i) {
    const std::string n = std::to_string(10 + i);
    WriteJpeg(folder / ("p" + n + ".jpg"), 120 + 7 * i, 90 + 3 * i, i + 1);
    TGIFImage gif;
    SetGifRaster(gif, TestPattern(60 + i, 40 + 2 * i, i + 20));
    WriteGifFile(gif, folder / ("p" + n + ".gif"));
    WriteBmpFile(TestPattern(50 + 3 * i, 30 + i, i + 40), folder / ("p" + n + ".bmp"));
    for (const char* ext : {".bmp", ".gif", ".jpg"})
      names.push_back("p" + n + ext);
  }
  return names;
}

std::map<std::string, Bytes> Outputs(const fs::path& folder, const std::string& prefix) {
  std::map<std::string, Bytes> out;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) out[name] = FileContents(entry.path());
  }
  return out;
}

TEST(ParallelBatch, MixedRotateGivesTheBytesOfOneFileAtATime) {
  TempFolder one, many;
  ListHost host;
  host.names = MixedFolder(one.path());
  MixedFolder(many.path());
  host.settings.turn = TurnChoice::Left;
  host.settings.saveQuality = 70;
  host.inFlight = 1;
  ASSERT_EQ(RunBatch(CommandFor(CommandId::Rotate), one.path(), host).outcome, BatchOutcome::Done);
  host.inFlight = 4;
  const BatchResult r = RunBatch(CommandFor(CommandId::Rotate), many.path(), host);
  ASSERT_EQ(r.outcome, BatchOutcome::Done) << r.message;
  EXPECT_EQ(r.processed, 30);
  const auto a = Outputs(one.path(), "left-"), b = Outputs(many.path(), "left-");
  EXPECT_EQ(a.size(), 30u);
  EXPECT_TRUE(a == b);
}

TEST(ParallelBatch, OutputsAreWrittenInListOrder) {
  TempFolder folder;
  ListHost host;
  host.names = MixedFolder(folder.path());
  std::vector<std::string> seen;  // what exists each time a file is committed
  host.onAdvance = [&](int n) {
    const std::string expected = "left-" + host.names[static_cast<std::size_t>(n - 1)];
    EXPECT_TRUE(fs::exists(folder / expected)) << expected;
    if (static_cast<std::size_t>(n) < host.names.size()) {
      const std::string later = "left-" + host.names[static_cast<std::size_t>(n)];
      EXPECT_FALSE(fs::exists(folder / later)) << later << " before its turn";
    }
    seen.push_back(expected);
  };
  host.settings.turn = TurnChoice::Left;
  ASSERT_EQ(RunBatch(CommandFor(CommandId::Rotate), folder.path(), host).outcome,
            BatchOutcome::Done);
  EXPECT_EQ(seen.size(), 30u);
}

TEST(ParallelBatch, AFileThatReadsAnEarlierOutputWaitsForIt) {
  // mini-a.jpg is both the first file's output and the second file's source.
  TempFolder one, many;
  for (const fs::path& f : {one.path(), many.path()}) {
    WriteJpeg(f / "a.jpg", 400, 300, 1);
    WriteJpeg(f / "mini-a.jpg", 64, 48, 2);
  }
  ListHost host;
  host.names = {"a.jpg", "mini-a.jpg"};
  for (ResizeControls& controls : host.settings.resize)
    controls.pixelText = "100";
  host.inFlight = 1;
  RunBatch(ResizeCommandFor(*RowForKey("jpg")), one.path(), host);
  host.inFlight = 4;
  RunBatch(ResizeCommandFor(*RowForKey("jpg")), many.path(), host);
  EXPECT_EQ(FileContents(one / "mini-mini-a.jpg"), FileContents(many / "mini-mini-a.jpg"));
  EXPECT_EQ(FileContents(one / "mini-a.jpg"), FileContents(many / "mini-a.jpg"));
}

TEST(ParallelBatch, ADamagedFileInTheMiddleEndsTheBatchWithNothingAfterIt) {
  TempFolder folder;
  ListHost host;
  for (int i = 0; i < 30; ++i) {
    const std::string name = "f" + std::to_string(10 + i) + ".jpg";
    if (i == 14) {
      WriteBytes(folder / name, Bytes{0x47, 0x49, 0x46});
    } else {
      WriteJpeg(folder / name, 80, 60, i + 1);
    }
    host.names.push_back(name);
  }
  const BatchResult r = RunBatch(CommandFor(CommandId::Quality), folder.path(), host);
  EXPECT_EQ(r.outcome, BatchOutcome::Failed);
  EXPECT_EQ(r.failedName, "f24.jpg");
  EXPECT_FALSE(r.message.empty());
  EXPECT_EQ(r.processed, 14);
  for (int i = 0; i < 30; ++i) {
    const fs::path out = folder / ("q-f" + std::to_string(10 + i) + ".jpg");
    EXPECT_EQ(fs::exists(out), i < 14) << out;
  }
}

TEST(ParallelBatch, SkippingDamagedFilesWritesTheOthersAsOneJobWould) {
  TempFolder one, many;
  std::vector<std::string> names;
  for (const fs::path& f : {one.path(), many.path()}) {
    for (int i = 0; i < 24; ++i) {
      const std::string name = "f" + std::to_string(10 + i) + ".jpg";
      if (i % 7 == 3) {
        WriteBytes(f / name, Bytes{0xFF, 0xD8, 0xFF});  // cut off after its first marker
      } else {
        WriteJpeg(f / name, 80, 60, i + 1);
      }
      if (f == one.path()) names.push_back(name);
    }
  }
  ListHost host;
  host.names = names;
  host.onFailure = FailureChoice::SkipAll;
  host.inFlight = 1;
  const BatchResult first = RunBatch(CommandFor(CommandId::Quality), one.path(), host);
  host.inFlight = 4;
  const BatchResult r = RunBatch(CommandFor(CommandId::Quality), many.path(), host);
  for (const BatchResult* result : {&first, &r}) {
    EXPECT_EQ(result->outcome, BatchOutcome::Done);
    EXPECT_EQ(result->processed, 21);
    ASSERT_EQ(result->skipped.size(), 3u);
    EXPECT_EQ(result->skipped[0].name, "f13.jpg");
    EXPECT_EQ(result->skipped[1].name, "f20.jpg");
    EXPECT_EQ(result->skipped[2].name, "f27.jpg");
  }
  for (int i = 0; i < 24; ++i) {
    const std::string out = "q-f" + std::to_string(10 + i) + ".jpg";
    EXPECT_EQ(fs::exists(many / out), i % 7 != 3) << out;
    if (i % 7 != 3) EXPECT_EQ(FileContents(one / out), FileContents(many / out)) << out;
  }
}

TEST(ParallelBatch, AWriteFailureInOverwriteModeKeepsEverySourceWhole) {
  TempFolder folder;
  ListHost host;
  std::vector<Bytes> before;
  for (int i = 0; i < 20; ++i) {
    const std::string name = "s" + std::to_string(10 + i) + ".jpg";
    WriteJpeg(folder / name, 90, 70, i + 1);
    before.push_back(FileContents(folder / name));
    host.names.push_back(name);
  }
  host.mode = SaveMode::Overwrite;
  host.settings.qualityCommandValue = 40;
  host.onAdvance = [](int n) {
    if (n == 9) InjectWriteFailureAfter(100);  // the tenth file's write fails half-way
  };
  const BatchResult r = RunBatch(CommandFor(CommandId::Quality), folder.path(), host);
  InjectWriteFailureAfter(-1);
  EXPECT_EQ(r.outcome, BatchOutcome::Failed);
  EXPECT_EQ(r.failedName, "s19.jpg");
  EXPECT_NE(r.message.find("Cannot write file"), std::string::npos) << r.message;
  for (int i = 0; i < 20; ++i) {
    const Bytes now = FileContents(folder / host.names[static_cast<std::size_t>(i)]);
    if (i < 9) {
      EXPECT_NE(now, before[static_cast<std::size_t>(i)]) << i;  // replaced, and readable
      TJPEGImage check = ReadJpegFile(folder / host.names[static_cast<std::size_t>(i)]);
      EXPECT_NO_THROW(DecodeJpeg(check));
    } else {
      EXPECT_EQ(now, before[static_cast<std::size_t>(i)]) << i;  // untouched
    }
  }
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 20u);  // no temporary file left
}

TEST(ParallelBatch, StopEndsAfterTheFileInHandAndDropsWhatWasPrepared) {
  TempFolder folder;
  ListHost host;
  for (int i = 0; i < 12; ++i) {
    const std::string name = "t" + std::to_string(10 + i) + ".jpg";
    WriteJpeg(folder / name, 80, 60, i + 1);
    host.names.push_back(name);
  }
  host.stopWhen = [](int committed) { return committed >= 3; };
  const BatchResult r = RunBatch(CommandFor(CommandId::Greyscale), folder.path(), host);
  EXPECT_EQ(r.outcome, BatchOutcome::Stopped);
  EXPECT_EQ(r.processed, 3);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(fs::exists(folder / ("bw-t" + std::to_string(10 + i) + ".jpg")), i < 3) << i;
  }
}

TEST(ParallelBatch, TheStampOfAnOverwrittenSourceSurvives) {
  TempFolder folder;
  ListHost host;
  for (int i = 0; i < 8; ++i) {
    const std::string name = "d" + std::to_string(i) + ".jpg";
    WriteJpeg(folder / name, 60, 40, i + 1);
    std::tm t{};
    t.tm_year = 2001 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 3 + i;
    t.tm_hour = 10;
    t.tm_min = 15;
    t.tm_sec = 36;
    t.tm_isdst = -1;
    ApplyFileStamp(folder / name, PackFileStamp(t));
    host.names.push_back(name);
  }
  std::vector<FileStamp> stamps;
  for (const std::string& n : host.names)
    stamps.push_back(ReadFileStamp(folder / n));
  host.mode = SaveMode::Overwrite;
  host.keep = true;
  ASSERT_EQ(RunBatch(CommandFor(CommandId::Quality), folder.path(), host).outcome,
            BatchOutcome::Done);
  for (std::size_t i = 0; i < host.names.size(); ++i)
    EXPECT_EQ(ReadFileStamp(folder / host.names[i]), stamps[i]) << host.names[i];
}

TEST(CommandIds, EveryIdNamesItsOwnCommand) {
  std::vector<std::string> names;
  for (const FormatRow* row : ResizableRows())
    names.push_back(ResizeCommandFor(*row).name);
  for (CommandId id : kAllCommandIds)
    names.push_back(CommandFor(id).name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"resize-jpg", "resize-gif", "resize-bmp", "resize-png",
                                      "resize-webp", "resize-jxl", "resize-avif", "resize-heic",
                                      "gif2jpg", "jpg2gif", "bmp2jpg", "bmp2gif", "jpg2bmp",
                                      "gif2bmp", "convert", "rotate", "quality", "greyscale"}));
  EXPECT_EQ(AllCommands().size(), names.size());
}

}  // namespace
