// The window interrupted mid-batch (SIGINT, SIGTERM, SIGHUP: a logout) removes the temporary
// file in hand and ends: every output is complete or absent and the sources are untouched. The
// real program runs as a child on the offscreen platform, opened on the pictures with them
// selected; it presses its resize button itself and the writer's test hook raises the signal at
// a chosen byte of the outputs, with a temporary file in hand.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "codecs/jpeg/JpegImage.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XDesktop.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

// A run that has not ended within this is killed, and the test fails.
constexpr int kEndSeconds = 60;

const std::vector<std::string> kSources = {"p1.jpg", "p2.jpg", "p3.jpg"};

Bytes Jpeg(int width, int height, unsigned seed) {
  TJPEGImage picture;
  SetJpegRaster(picture, TestPattern(width, height, seed));
  picture.Quality = 95;
  EncodeJpeg(picture);
  return picture.data();
}

std::string Output(const std::string& source) {
  return "mini-" + source;
}

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

void WriteAged(const fs::path& file, std::chrono::seconds age) {
  std::ofstream(file) << "partial";
  fs::last_write_time(file, fs::file_time_type::clock::now() - age);
}

std::string SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
  }
  return std::to_string(signal);
}

class WindowInterruptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(home / ".config");
    fs::create_directories(home / "runtime");
    fs::permissions(home / "runtime", fs::perms::owner_all);
    fs::create_directories(pictures);
    fs::create_directories(reference);
    unsigned seed = 30;
    for (const std::string& name : kSources) {
      sources[name] = Jpeg(1000, 750, ++seed);
      WriteBytes(pictures / name, sources[name]);
      WriteBytes(reference / name, sources[name]);
    }
    // The batch tool gives the window's results byte for byte; its defaults are the window's
    // first-run settings.
    std::vector<std::string> command = {PIXTREL_BATCH_PATH, "resize-jpg", "-q"};
    command.insert(command.end(), kSources.begin(), kSources.end());
    const RunResult r = RunProgram(command, reference);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const std::string& name : kSources) {
      outputs.push_back(FileContents(reference / Output(name)));
      ASSERT_FALSE(outputs.back().empty()) << Output(name);
    }
  }

  // Opens the window on the pictures, all selected, and presses "resize-jpg"; the signal comes
  // once `bytes` of the outputs are written. Waits for the program to end; false (the test
  // failing) when it did not, and the program is killed.
  bool RunInterrupted(long long bytes, int signal) {
    std::vector<std::string> command = {PIXTREL_WINDOW_PATH};
    for (const std::string& name : kSources)
      command.push_back((pictures / name).string());
    fs::remove(home / "pixtrel.log");  // the log of this run alone
    BackgroundProgram program(
        command,
        {{"QT_QPA_PLATFORM", "offscreen"},
         {"HOME", home.string()},
         {"XDG_CONFIG_HOME", (home / ".config").string()},
         {"XDG_RUNTIME_DIR", (home / "runtime").string()},
         {"PIXTREL_TEST_PRESS_COMMAND", "resize-jpg"},
         {"PIXTREL_TEST_SIGNAL_AFTER_BYTES", std::to_string(bytes) + " " + std::to_string(signal)}},
        home / "pixtrel.log");
    if (!program.WaitForExit(kEndSeconds)) {
      ADD_FAILURE() << "the program did not end within " << kEndSeconds << " s; it wrote:\n"
                    << Log();
      return false;
    }
    EXPECT_EQ(program.endSignal(), signal) << "it did not end by the signal; it wrote:\n" << Log();
    return true;
  }

  // Where the signal comes: `offset` bytes into output `index`.
  long long ByteOf(std::size_t index, long long offset) const {
    long long at = offset;
    for (std::size_t i = 0; i < index; ++i)
      at += static_cast<long long>(outputs[i].size());
    return at;
  }

  // Each run starts from a folder of the sources alone, whatever an earlier one left.
  void ClearAllButTheSources() const {
    for (const std::string& name : Entries(pictures)) {
      if (!sources.count(name)) fs::remove_all(pictures / name);
    }
  }

  void ExpectSourcesUntouched() const {
    for (const auto& [name, bytes] : sources)
      EXPECT_EQ(FileContents(pictures / name), bytes) << name << " changed";
  }

  std::string Log() const {
    const Bytes log = FileContents(home / "pixtrel.log");
    return std::string(log.begin(), log.end());
  }

  TempFolder folder;
  fs::path home = folder / "home";
  fs::path pictures = folder / "pictures";
  fs::path reference = folder / "reference";
  std::map<std::string, Bytes> sources;
  std::vector<Bytes> outputs;  // what the batch writes for each source, in order
};

TEST_F(WindowInterruptTest, AnInterruptLeavesCompleteOutputsAndNoTemporaryFile) {
  struct StopPoint {
    std::size_t output;  // the output being written when the signal comes
    bool atItsStart;     // before its first byte (right after its temporary file was made)
  };
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    for (const StopPoint stop : {StopPoint{0, true}, StopPoint{1, false}}) {
      SCOPED_TRACE(SignalName(signal) + " in output " + std::to_string(stop.output) +
                   (stop.atItsStart ? " at its start" : " half way"));
      ClearAllButTheSources();
      const long long offset =
          stop.atItsStart ? 0 : static_cast<long long>(outputs[stop.output].size() / 2);
      ASSERT_TRUE(RunInterrupted(ByteOf(stop.output, offset), signal));

      // Exactly the sources and the outputs finished before the signal: nothing partial, no
      // temporary file.
      std::set<std::string> expected(kSources.begin(), kSources.end());
      for (std::size_t i = 0; i < stop.output; ++i) {
        expected.insert(Output(kSources[i]));
        EXPECT_EQ(FileContents(pictures / Output(kSources[i])), outputs[i])
            << Output(kSources[i]) << " is not the complete output";
      }
      EXPECT_EQ(Entries(pictures), expected);
      ExpectSourcesUntouched();
    }
  }
}

TEST_F(WindowInterruptTest, ABatchRemovesOnlyStaleTemporariesOfOurs) {
  const std::chrono::seconds stale(120), fresh(0);
  WriteAged(pictures / ".p1.jpg.pixtrel-stale001.tmp", stale);  // left by a killed run
  WriteAged(pictures / ".p2.jpg.pixtrel-fresh001.tmp", fresh);  // may be another's write
  WriteAged(pictures / "p1.jpg.pixtrel-other001.tmp", stale);   // not our name
  WriteAged(pictures / "notes.tmp", stale);
  // Interrupted before its first byte: the clearing comes before any write.
  ASSERT_TRUE(RunInterrupted(0, SIGTERM));

  std::set<std::string> expected(kSources.begin(), kSources.end());
  expected.insert({".p2.jpg.pixtrel-fresh001.tmp", "p1.jpg.pixtrel-other001.tmp", "notes.tmp"});
  EXPECT_EQ(Entries(pictures), expected);
  ExpectSourcesUntouched();
}

}  // namespace
}  // namespace pixtrel::test
