// Where pixtrel-batch writes when the folder holds traps: symbolic links planted under output
// names or as the subfolder, names near the system's limit, names with line breaks. Nothing is
// written outside the folder, and every failure is one line that says why.
#include <gtest/gtest.h>

#include <unistd.h>

#include "codecs/jpeg/JpegImage.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

Bytes MakeJpeg() {
  TJPEGImage picture;
  SetJpegRaster(picture, TestPattern(40, 30));
  EncodeJpeg(picture);
  return picture.data();
}

bool IsJpeg(const fs::path& file) {
  const Bytes bytes = FileContents(file);
  return bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

// A shared folder "work" holding a.jpg, beside a folder "elsewhere" with a file to protect.
class OutputSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(work());
    fs::create_directories(elsewhere());
    WriteBytes(work() / "a.jpg", MakeJpeg());
    WriteBytes(elsewhere() / "victim.txt", kVictim);
  }
  fs::path work() const { return root_ / "work"; }
  fs::path elsewhere() const { return root_ / "elsewhere"; }
  RunResult Batch(std::vector<std::string> args) const {
    args.insert(args.end(), {"-q", "-C", work().string(), "a.jpg"});
    return RunBatchTool(args);
  }
  void ExpectElsewhereUntouched() const {
    EXPECT_EQ(FileContents(elsewhere() / "victim.txt"), kVictim);
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere()), fs::directory_iterator()), 1);
  }

  const Bytes kVictim{'d', 'o', 'n', 't', ' ', 't', 'o', 'u', 'c', 'h'};
  TempFolder root_;
};

TEST_F(OutputSafety, ALinkUnderAPrefixedNameIsReplacedNotFollowed) {
  fs::create_symlink("../elsewhere/victim.txt", work() / "mini-a.jpg");
  const RunResult r = Batch({"resize-jpg", "--pixels", "20"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(fs::is_symlink(work() / "mini-a.jpg"));
  EXPECT_TRUE(IsJpeg(work() / "mini-a.jpg"));
  ExpectElsewhereUntouched();
}

TEST_F(OutputSafety, ADanglingLinkCreatesNothingElsewhere) {
  fs::create_symlink("../elsewhere/new.jpg", work() / "right-a.jpg");
  fs::create_symlink("../elsewhere/new.png", work() / "a.jpg.png");
  fs::create_symlink("../elsewhere/new-bw.jpg", work() / "bw-a.jpg");
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"rotate"}, {"convert", "--to", "png"}, {"greyscale"}}) {
    const RunResult r = Batch(command);
    ASSERT_EQ(r.exitCode, 0) << command[0] << ": " << r.err;
  }
  for (const char* name : {"right-a.jpg", "a.jpg.png", "bw-a.jpg"})
    EXPECT_FALSE(fs::is_symlink(work() / name)) << name;
  ExpectElsewhereUntouched();
}

TEST_F(OutputSafety, AConversionInOverwriteModeReplacesALinkAtItsNewName) {
  // Only the source itself is the user's choice; "a.jpg.bmp" is a name the program made.
  fs::create_symlink("../elsewhere/victim.txt", work() / "a.jpg.bmp");
  const RunResult r = Batch({"jpg2bmp", "--save", "overwrite", "--yes"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(fs::is_symlink(work() / "a.jpg.bmp"));
  ExpectElsewhereUntouched();
}

TEST_F(OutputSafety, OverwriteModeWritesThroughALinkTheUserChose) {
  fs::create_directories(root_ / "originals");
  fs::rename(work() / "a.jpg", root_ / "originals" / "a.jpg");
  fs::create_symlink("../originals/a.jpg", work() / "a.jpg");
  const Bytes before = FileContents(root_ / "originals" / "a.jpg");
  const RunResult r = Batch({"quality", "--quality", "30", "--save", "overwrite", "--yes"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(work() / "a.jpg"));
  EXPECT_NE(FileContents(root_ / "originals" / "a.jpg"), before);
  EXPECT_TRUE(IsJpeg(root_ / "originals" / "a.jpg"));
}

TEST_F(OutputSafety, ASubfolderThatIsALinkIsRefused) {
  fs::create_symlink("../elsewhere", work() / "vantro");
  const RunResult r = Batch({"resize-jpg", "--save", "subfolder"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "pixtrel-batch: a.jpg: Cannot create file " +
                       (work() / "vantro/a.jpg").string() + ": vantro is a symbolic link\n");
  ExpectElsewhereUntouched();
  // A dangling one too: nothing is made where it points.
  fs::remove(work() / "vantro");
  fs::create_symlink("../elsewhere/made", work() / "vantro");
  EXPECT_EQ(Batch({"rotate", "--save", "subfolder"}).exitCode, 1);
  ExpectElsewhereUntouched();
}

TEST_F(OutputSafety, ASubfolderThatIsAFileIsRefused) {
  WriteBytes(work() / "vantro", {1, 2, 3});
  const RunResult r = Batch({"quality", "--save", "subfolder"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "pixtrel-batch: a.jpg: Cannot create file " +
                       (work() / "vantro/a.jpg").string() + ": vantro is not a folder\n");
  EXPECT_EQ(FileContents(work() / "vantro"), (Bytes{1, 2, 3}));
}

TEST_F(OutputSafety, CannotCreateSaysWhy) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  fs::permissions(work(), fs::perms(0555));
  const RunResult r = Batch({"greyscale"});
  fs::permissions(work(), fs::perms(0755));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "pixtrel-batch: a.jpg: Cannot create file " + (work() / "bw-a.jpg").string() +
                       ": Permission denied\n");
}

TEST_F(OutputSafety, NamesUpToTheSystemsLimitAreProcessed) {
  // The output's name is never shortened: "mini-" and 250 bytes make 255, the limit.
  for (std::size_t length : {234u, 240u, 250u}) {
    const std::string name = std::string(length - 4, 'p') + ".jpg";
    fs::copy_file(work() / "a.jpg", work() / name);
    const RunResult r =
        RunBatchTool({"resize-jpg", "-q", "--pixels", "20", "-C", work().string(), name});
    EXPECT_EQ(r.exitCode, 0) << length << ": " << r.err;
    EXPECT_TRUE(IsJpeg(work() / ("mini-" + name))) << length;
  }
  // A name that cannot be made says so.
  const std::string name = std::string(248, 'q') + ".jpg";
  fs::copy_file(work() / "a.jpg", work() / name);
  const RunResult r = RunBatchTool({"convert", "--to", "webp", "-q", "-C", work().string(), name});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "pixtrel-batch: " + name + ": Cannot create file " +
                       (work() / (name + ".webp")).string() + ": File name too long\n");
}

TEST_F(OutputSafety, ALineBreakInANameIsShownEscaped) {
  const std::string name = "two\nlines\t.jpg";
  WriteBytes(work() / name, {0xFF, 0xD8, 0xFF});  // cut off
  const RunResult r = RunBatchTool({"rotate", "-q", "-C", work().string(), name});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.err.rfind("pixtrel-batch: two\\nlines\\t.jpg: ", 0), 0u) << r.err;
}

}  // namespace
