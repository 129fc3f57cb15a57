// Outputs replace their targets only when complete.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "formats/Errors.h"
#include "formats/SafeWrite.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

int EntryCount(const fs::path& folder) {
  return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

struct FailureInjection {
  explicit FailureInjection(long long after) { InjectWriteFailureAfter(after); }
  ~FailureInjection() { InjectWriteFailureAfter(-1); }
};

TEST(SafeWrite, ReplacesAndKeepsTheMode) {
  TempFolder folder;
  WriteBytes(folder / "a.jpg", {1, 2, 3});
  fs::permissions(folder / "a.jpg", fs::perms(0640));
  WriteFileAtomically(folder / "a.jpg", Bytes{9, 8});
  EXPECT_EQ(FileContents(folder / "a.jpg"), (Bytes{9, 8}));
  EXPECT_EQ(fs::status(folder / "a.jpg").permissions(), fs::perms(0640));
  EXPECT_EQ(EntryCount(folder.path()), 1);
}

TEST(SafeWrite, FailedWriteLeavesTargetAndNoTemporaryFile) {
  TempFolder folder;
  const Bytes original(5000, 7);
  WriteBytes(folder / "photo.jpg", original);
  for (long long after : {0LL, 1LL, 4096LL}) {
    FailureInjection fail(after);
    EXPECT_THROW(WriteFileAtomically(folder / "photo.jpg", Bytes(10000, 1)), Exception);
    EXPECT_THROW(WriteFileAtomically(folder / "new.jpg", Bytes(10000, 1)), Exception);
  }
  EXPECT_EQ(FileContents(folder / "photo.jpg"), original);
  EXPECT_FALSE(fs::exists(folder / "new.jpg"));
  EXPECT_EQ(EntryCount(folder.path()), 1);
}

TEST(SafeWrite, MissingFolder) {
  TempFolder folder;
  try {
    WriteFileAtomically(folder / "vantro" / "x.bmp", Bytes{1});
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create file " + (folder / "vantro" / "x.bmp").string());
  }
}

TEST(SafeWrite, ReadOnlyFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempFolder folder;
  fs::create_directory(folder / "locked");
  fs::permissions(folder / "locked", fs::perms(0555));
  try {
    WriteFileAtomically(folder / "locked" / "x.bmp", Bytes{1});
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create file " + (folder / "locked" / "x.bmp").string());
  }
}

TEST(SafeWrite, WritesThroughSymbolicLinks) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteBytes(folder / "real" / "target.gif", {1});
  fs::create_symlink("real/target.gif", folder / "link.gif");
  WriteFileAtomically(folder / "link.gif", Bytes{4, 5});
  EXPECT_TRUE(fs::is_symlink(folder / "link.gif"));
  EXPECT_EQ(FileContents(folder / "real" / "target.gif"), (Bytes{4, 5}));
}

TEST(SafeWrite, AFolderInTheWayIsAnError) {
  TempFolder folder;
  fs::create_directory(folder / "taken.jpg");
  EXPECT_THROW(WriteFileAtomically(folder / "taken.jpg", Bytes{1}), Exception);
  EXPECT_TRUE(fs::is_directory(folder / "taken.jpg"));
}

}  // namespace
