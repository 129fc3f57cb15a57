// pixtrel-batch end to end on real files in a temporary folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "codecs/jpeg/JpegImage.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

Bytes MakeJpeg(int w, int h, bool progressive = false, unsigned seed = 1) {
  TJPEGImage picture;
  SetJpegRaster(picture, TestPattern(w, h, seed));
  picture.Quality = 95;
  picture.Progressive = progressive;
  EncodeJpeg(picture);
  return picture.data();
}

// What the quality command must write for these bytes at this quality.
Bytes Reencoded(const Bytes& source, int quality) {
  TJPEGImage picture = JpegFromBytes(source);
  DecodeJpeg(picture);
  picture.Quality = quality;
  EncodeJpeg(picture);
  return picture.data();
}

void SetMtime(const fs::path& file, std::time_t when) {
  struct timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

std::time_t Mtime(const fs::path& file) {
  struct stat st {};
  stat(file.c_str(), &st);
  return st.st_mtime;
}

class BatchTool : public ::testing::Test {
 protected:
  void SetUp() override {
    source_ = MakeJpeg(64, 48);
    WriteBytes(dir_ / "a.jpg", source_);
  }
  TempFolder dir_;
  Bytes source_;
};

TEST_F(BatchTool, QualityInEverySaveMode) {
  const Bytes expected = Reencoded(source_, 40);
  RunResult r = RunBatchTool({"quality", "--quality", "40", "a.jpg"}, dir_.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(FileContents(dir_ / "q-a.jpg"), expected);

  r = RunBatchTool(
      {"quality", "--quality", "40", "--save", "subfolder", "-C", dir_.path().string(), "a.jpg"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(FileContents(dir_ / "vantro" / "a.jpg"), expected);
  EXPECT_FALSE(fs::exists(dir_ / "vantro\\a.jpg"));

  r = RunBatchTool(
      {"quality", "--quality", "40", "--save", "overwrite", "--yes", (dir_ / "a.jpg").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(FileContents(dir_ / "a.jpg"), expected);

  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = ReadWithPil(dir_ / "q-a.jpg");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
  EXPECT_EQ(pil->format, "JPEG");
  EXPECT_EQ(pil->width, 64);
}

TEST_F(BatchTool, ProgressiveStaysProgressive) {
  WriteBytes(dir_ / "p.jpg", MakeJpeg(40, 40, true));
  ASSERT_EQ(RunBatchTool({"quality", "p.jpg"}, dir_.path()).exitCode, 0);
  ASSERT_EQ(RunBatchTool({"greyscale", "p.jpg"}, dir_.path()).exitCode, 0);
  EXPECT_TRUE(JpegFromBytes(FileContents(dir_ / "q-p.jpg")).Progressive);
  EXPECT_TRUE(JpegFromBytes(FileContents(dir_ / "bw-p.jpg")).Progressive);
}

TEST_F(BatchTool, DeclinedOverwriteWritesNothing) {
  for (const char* command : {"quality"}) {
    const RunResult r = RunBatchTool({command, "--save", "overwrite", "a.jpg"}, dir_.path());
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("declined"), std::string::npos);
    EXPECT_EQ(FileContents(dir_ / "a.jpg"), source_);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
  }
}

TEST_F(BatchTool, GreyscaleIgnoresSaveModeAndKeepDate) {
  SetMtime(dir_ / "a.jpg", 946728000);  // 2000-01-01
  const RunResult r =
      RunBatchTool({"greyscale", "--save", "overwrite", "--keep-date", "a.jpg"}, dir_.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;  // no question asked
  EXPECT_EQ(FileContents(dir_ / "a.jpg"), source_);
  EXPECT_FALSE(fs::exists(dir_ / "vantro"));
  ASSERT_TRUE(fs::exists(dir_ / "bw-a.jpg"));
  EXPECT_GT(Mtime(dir_ / "bw-a.jpg"), 946728000 + 86400);
  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = ReadWithPil(dir_ / "bw-a.jpg");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
  EXPECT_EQ(pil->mode, "L");
  // Again on its own output.
  ASSERT_EQ(RunBatchTool({"greyscale", "bw-a.jpg"}, dir_.path()).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir_ / "bw-bw-a.jpg"));
}

TEST_F(BatchTool, KeepDateSurvivesOverwrite) {
  SetMtime(dir_ / "a.jpg", 946728001);  // an odd second
  const RunResult r = RunBatchTool(
      {"quality", "--save", "overwrite", "--yes", "--keep-date", "a.jpg"}, dir_.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(FileContents(dir_ / "a.jpg"), source_);
  EXPECT_EQ(Mtime(dir_ / "a.jpg"), 946728000);
}

TEST_F(BatchTool, DamagedSecondFileOfThree) {
  Bytes damaged = source_;
  damaged.resize(10);
  WriteBytes(dir_ / "b.jpg", damaged);
  WriteBytes(dir_ / "c.jpg", MakeJpeg(20, 20, false, 3));
  const RunResult r = RunBatchTool({"quality", "a.jpg", "b.jpg", "c.jpg"}, dir_.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(fs::exists(dir_ / "q-a.jpg"));
  EXPECT_FALSE(fs::exists(dir_ / "q-b.jpg"));
  EXPECT_FALSE(fs::exists(dir_ / "q-c.jpg"));
  EXPECT_EQ(LastLine(r.err), "pixtrel-batch: b.jpg: JPEG file is damaged: data ends early");
}

TEST_F(BatchTool, KeepGoingLeavesOutEveryDamagedFileAndSaysWhich) {
  Bytes damaged = source_;
  damaged.resize(10);
  WriteBytes(dir_ / "b.jpg", damaged);
  WriteBytes(dir_ / "c.jpg", MakeJpeg(20, 20, false, 3));
  WriteBytes(dir_ / "d.jpg", Bytes{'G', 'I', 'F', '8', '9', 'a'});
  WriteBytes(dir_ / "e.jpg", MakeJpeg(30, 20, false, 4));
  for (const char* option : {"--keep-going", "-k"}) {
    for (const char* out : {"q-a.jpg", "q-c.jpg", "q-e.jpg"})
      fs::remove(dir_ / out);
    const RunResult r = RunBatchTool(
        {"quality", option, "--jobs", "2", "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"},
        dir_.path());
    EXPECT_EQ(r.exitCode, 1) << option;
    for (const char* out : {"q-a.jpg", "q-c.jpg", "q-e.jpg"})
      EXPECT_TRUE(fs::exists(dir_ / out)) << option << " " << out;
    EXPECT_FALSE(fs::exists(dir_ / "q-b.jpg"));
    EXPECT_FALSE(fs::exists(dir_ / "q-d.jpg"));
    EXPECT_NE(r.err.find("pixtrel-batch: b.jpg: JPEG file is damaged: data ends early\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("pixtrel-batch: d.jpg: "), std::string::npos) << r.err;
    EXPECT_EQ(LastLine(r.err), "pixtrel-batch: 2 of 5 files failed and were left out");
  }
  // Nothing failing: exit status 0 and nothing said, as without the option.
  const RunResult clean = RunBatchTool({"quality", "--keep-going", "a.jpg", "c.jpg"}, dir_.path());
  EXPECT_EQ(clean.exitCode, 0);
  EXPECT_EQ(clean.err, "");
}

TEST_F(BatchTool, CutOffJpegFailsInEveryCommandAndNothingIsWritten) {
  Bytes half = MakeJpeg(120, 80);
  half.resize(half.size() / 2);
  for (const char* command :
       {"resize-jpg", "jpg2gif", "jpg2bmp", "rotate", "quality", "greyscale"}) {
    TempFolder folder;
    WriteBytes(folder / "half.jpg", half);
    for (const char* mode : {"prefix", "subfolder", "overwrite"}) {
      const RunResult r =
          RunBatchTool({command, "--save", mode, "--yes", "half.jpg"}, folder.path());
      EXPECT_EQ(r.exitCode, 1) << command << " " << mode;
      EXPECT_EQ(LastLine(r.err), "pixtrel-batch: half.jpg: JPEG file is damaged: data ends early")
          << command << " " << mode;
      EXPECT_EQ(FileContents(folder / "half.jpg"), half) << command << " " << mode;
      std::vector<std::string> left;
      for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
        if (entry.is_regular_file()) left.push_back(entry.path().filename().string());
      }
      EXPECT_EQ(left, std::vector<std::string>{"half.jpg"}) << command << " " << mode;
    }
  }
}

TEST_F(BatchTool, PngNamedJpgFailsInTheJpegReader) {
  WriteBytes(dir_ / "photo.jpg",
             {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D',
              'R',  0,   0,   0,   1,    0,    0,    0,    1, 8, 2, 0,  0,   0});
  const RunResult r = RunBatchTool({"quality", "photo.jpg"}, dir_.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(LastLine(r.err),
            "pixtrel-batch: photo.jpg: JPEG error #53: Not a JPEG file: starts with 0x89 0x50");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 2);
}

TEST_F(BatchTool, UsageErrors) {
  TempFolder other;
  WriteBytes(other / "b.jpg", source_);
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate", "a.jpg"},
      {"quality", "--quality", "101", "a.jpg"},
      {"quality", "--save", "sideways", "a.jpg"},
      {"quality", "--turn", "up", "a.jpg"},
      {"quality", "--bogus"},
      {"quality", (dir_ / "a.jpg").string(), (other / "b.jpg").string()},
      {"quality", "-C", dir_.path().string(), "sub/a.jpg"},
  };
  for (const auto& args : bad) {
    const RunResult r = RunBatchTool(args, dir_.path());
    EXPECT_EQ(r.exitCode, 2) << (args.empty() ? "" : args[0]) << " " << r.err;
    EXPECT_NE(r.err.find("pixtrel-batch: "), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(dir_ / "q-a.jpg"));
}

TEST_F(BatchTool, HelpAndVersion) {
  RunResult r = RunBatchTool({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Usage: pixtrel-batch COMMAND [OPTION]... [FILE]..."), std::string::npos);
  EXPECT_NE(r.out.find("greyscale"), std::string::npos);
  EXPECT_NE(r.out.find("Exit status: 0 done; 1 stopped at a failing file (with --keep-going: a "
                       "file failed);\n2 bad usage; 3 overwrite declined."),
            std::string::npos);
  EXPECT_NE(r.out.find("-k, --keep-going"), std::string::npos);
  r = RunBatchTool({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "pixtrel-batch 1.2\n");
}

TEST_F(BatchTool, MissingFileNamesIt) {
  const RunResult r = RunBatchTool({"quality", "nothere.jpg"}, dir_.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(LastLine(r.err),
            "pixtrel-batch: nothere.jpg: Cannot open file nothere.jpg: No such file or directory");
}

// A folder given relative to where the tool was started is worked in wherever that is, and the
// messages name its files as given.
TEST_F(BatchTool, ARelativeFolderIsNamedInMessagesAsGiven) {
  fs::create_directory(dir_.path() / "photos");
  WriteBytes(dir_.path() / "photos" / "b.jpg", source_);
  RunResult r = RunBatchTool({"greyscale", "--keep-going", "-C", "photos", "b.jpg", "nothere.jpg"},
                             dir_.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("pixtrel-batch: nothere.jpg: Cannot open file photos/nothere.jpg: No such "
                       "file or directory\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadJpegFile(dir_.path() / "photos" / "bw-b.jpg").width(), 64);
  EXPECT_FALSE(fs::exists(dir_.path() / "bw-b.jpg"));
  r = RunBatchTool({"greyscale", "photos/nothere.jpg"}, dir_.path());
  EXPECT_EQ(LastLine(r.err),
            "pixtrel-batch: nothere.jpg: Cannot open file photos/nothere.jpg: No such file or "
            "directory");
}

TEST_F(BatchTool, AFolderNamedLikeAPictureSaysItIsOne) {
  std::filesystem::create_directory(dir_.path() / "album.jpg");
  const RunResult r = RunBatchTool({"quality", "album.jpg"}, dir_.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(LastLine(r.err),
            "pixtrel-batch: album.jpg: Cannot open file album.jpg: Is a directory");
}

TEST_F(BatchTool, AFileThatMayNotBeReadSaysSo) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads files without read permission";
  WriteBytes(dir_.path() / "secret.jpg", {0xFF, 0xD8});
  std::filesystem::permissions(dir_.path() / "secret.jpg", std::filesystem::perms::none);
  const RunResult r = RunBatchTool({"quality", "secret.jpg"}, dir_.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(LastLine(r.err),
            "pixtrel-batch: secret.jpg: Cannot open file secret.jpg: Permission denied");
}

TEST_F(BatchTool, LaterFilesSeeWhatEarlierFilesWrote) {
  const RunResult twice =
      RunBatchTool({"quality", "--save", "overwrite", "--yes", "--quality", "50", "a.jpg", "a.jpg"},
                   dir_.path());
  ASSERT_EQ(twice.exitCode, 0) << twice.err;
  EXPECT_EQ(FileContents(dir_ / "a.jpg"), Reencoded(Reencoded(source_, 50), 50));

  WriteBytes(dir_ / "b.jpg", source_);
  WriteBytes(dir_ / "bw-b.jpg", MakeJpeg(30, 30, false, 9));
  ASSERT_EQ(RunBatchTool({"greyscale", "b.jpg", "bw-b.jpg"}, dir_.path()).exitCode, 0);
  TJPEGImage expected = JpegFromBytes(FileContents(dir_ / "bw-b.jpg"));  // b.jpg's grey version
  EXPECT_EQ(expected.width(), 64);
  EXPECT_EQ(JpegFromBytes(FileContents(dir_ / "bw-bw-b.jpg")).width(), 64);
}

TEST_F(BatchTool, ManyFilesComeOutAsInOneByOneRuns) {
  std::vector<std::string> names;
  for (int i = 0; i < 6; ++i) {
    names.push_back("m" + std::to_string(i) + ".jpg");
    WriteBytes(dir_ / names.back(), MakeJpeg(40 + i, 30, i % 2 == 0, 20 + i));
  }
  std::vector<std::string> args{"quality", "--quality", "33"};
  args.insert(args.end(), names.begin(), names.end());
  ASSERT_EQ(RunBatchTool(args, dir_.path()).exitCode, 0);
  for (const std::string& n : names) {
    EXPECT_EQ(FileContents(dir_ / ("q-" + n)), Reencoded(FileContents(dir_ / n), 33)) << n;
  }
}

}  // namespace
