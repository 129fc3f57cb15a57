// Temporary files a killed run left behind are cleared by the next batch into the folder.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "codecs/jpeg/JpegImage.h"
#include "io/StaleTemporaries.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

void Touch(const fs::path& file, std::chrono::seconds age) {
  std::ofstream(file) << "partial";
  fs::last_write_time(file, fs::file_time_type::clock::now() - age);
}

TEST(StaleTemporaries, OurNamesOnly) {
  EXPECT_TRUE(IsOurTemporaryName(".a.jpg.pixtrel-0az9k2m1.tmp"));
  EXPECT_TRUE(IsOurTemporaryName(".x.pixtrel-00000000.tmp"));
  EXPECT_FALSE(IsOurTemporaryName("a.jpg.pixtrel-0az9k2m1.tmp"));    // no leading dot
  EXPECT_FALSE(IsOurTemporaryName(".a.jpg.pixtrel-0AZ9K2M1.tmp"));   // not our digits
  EXPECT_FALSE(IsOurTemporaryName(".a.jpg.pixtrel-0az9k2m.tmp"));    // seven
  EXPECT_FALSE(IsOurTemporaryName(".a.jpg.pixtrel-0az9k2m12.tmp"));  // nine
  EXPECT_FALSE(IsOurTemporaryName(".a.jpg.pixtrel-0az9k2m1.tmp~"));
  EXPECT_FALSE(IsOurTemporaryName("..pixtrel-0az9k2m1.tmp"));  // no name
  EXPECT_FALSE(IsOurTemporaryName(".a.jpg.other-0az9k2m1.tmp"));
}

TEST(StaleTemporaries, OnlyOldFilesOfOursAreRemoved) {
  TempFolder dir;
  const std::chrono::seconds old(120), fresh(5);
  Touch(dir / ".a.jpg.pixtrel-stale001.tmp", old);
  Touch(dir / ".b.jpg.pixtrel-fresh001.tmp", fresh);  // may be a write in progress
  Touch(dir / "a.jpg.pixtrel-stale002.tmp", old);
  Touch(dir / ".a.jpg.pixtrel-STALE003.tmp", old);
  Touch(dir / "photo.jpg", old);
  fs::create_directory(dir / ".c.jpg.pixtrel-folder01.tmp");
  fs::create_directory(dir / "sub");
  Touch(dir / "sub" / ".d.jpg.pixtrel-stale004.tmp", old);  // another folder: not looked at
  fs::create_symlink(dir / "photo.jpg", dir / ".e.jpg.pixtrel-link0001.tmp");
  fs::last_write_time(dir / "photo.jpg", fs::file_time_type::clock::now() - old);

  RemoveStaleTemporaries(dir.path());

  EXPECT_FALSE(fs::exists(dir / ".a.jpg.pixtrel-stale001.tmp"));
  for (const char* kept :
       {".b.jpg.pixtrel-fresh001.tmp", "a.jpg.pixtrel-stale002.tmp", ".a.jpg.pixtrel-STALE003.tmp",
        "photo.jpg", ".c.jpg.pixtrel-folder01.tmp", "sub/.d.jpg.pixtrel-stale004.tmp",
        ".e.jpg.pixtrel-link0001.tmp"}) {
    EXPECT_TRUE(fs::exists(fs::symlink_status(dir / kept))) << kept;
  }
}

TEST(StaleTemporaries, AMissingFolderIsNoError) {
  TempFolder dir;
  RemoveStaleTemporaries(dir / "absent");
  EXPECT_FALSE(fs::exists(dir / "absent"));
}

TEST(StaleTemporaries, ABatchClearsItsFolderAndTheSubfolder) {
  TempFolder dir;
  TJPEGImage picture;
  SetJpegRaster(picture, TestPattern(20, 20));
  WriteJpegFile(picture, dir / "a.jpg");
  fs::create_directory(dir / "vantro");
  const std::chrono::seconds old(120);
  Touch(dir / ".a.jpg.pixtrel-stale001.tmp", old);
  Touch(dir / "vantro" / ".a.jpg.pixtrel-stale002.tmp", old);
  Touch(dir / "vantro" / ".b.jpg.pixtrel-fresh003.tmp", std::chrono::seconds(0));
  const RunResult r = RunBatchTool({"quality", "--save", "subfolder", "a.jpg"}, dir.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir / "vantro" / "a.jpg"));
  EXPECT_FALSE(fs::exists(dir / ".a.jpg.pixtrel-stale001.tmp"));
  EXPECT_FALSE(fs::exists(dir / "vantro" / ".a.jpg.pixtrel-stale002.tmp"));
  EXPECT_TRUE(fs::exists(dir / "vantro" / ".b.jpg.pixtrel-fresh003.tmp"));
}

}  // namespace
