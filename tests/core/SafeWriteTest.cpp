// Outputs replace their targets only when complete.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "core/Errors.h"
#include "io/SafeWrite.h"
#include "io/StaleTemporaries.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WriteFailure.h"

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

std::string WriteError(const fs::path& path) {
  try {
    WriteFileAtomically(path, Bytes{1});
  } catch (const Exception& e) {
    return e.what();
  }
  return "no error";
}

TEST(SafeWrite, CannotCreateSaysWhy) {
  TempFolder folder;
  EXPECT_EQ(WriteError(folder / "vantro" / "x.bmp"), "Cannot create file " +
                                                         (folder / "vantro" / "x.bmp").string() +
                                                         ": No such file or directory");
  WriteBytes(folder / "vantro", {1});  // a file where the folder should be
  EXPECT_EQ(WriteError(folder / "vantro" / "x.bmp"),
            "Cannot create file " + (folder / "vantro" / "x.bmp").string() + ": Not a directory");
  const std::string tooLong(256, 'n');
  EXPECT_EQ(WriteError(folder / tooLong),
            "Cannot create file " + (folder / tooLong).string() + ": File name too long");
  fs::create_directory(folder / "taken.jpg");
  EXPECT_EQ(WriteError(folder / "taken.jpg"),
            "Cannot create file " + (folder / "taken.jpg").string() + ": Is a directory");
}

TEST(SafeWrite, ReadOnlyFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempFolder folder;
  fs::create_directory(folder / "locked");
  fs::permissions(folder / "locked", fs::perms(0555));
  EXPECT_EQ(WriteError(folder / "locked" / "x.bmp"),
            "Cannot create file " + (folder / "locked" / "x.bmp").string() + ": Permission denied");
}

TEST(SafeWrite, WritesThroughSymbolicLinksWhenAsked) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteBytes(folder / "real" / "target.gif", {1});
  fs::create_symlink("real/target.gif", folder / "link.gif");
  WriteFileAtomically(folder / "link.gif", Bytes{4, 5}, LinkHandling::WriteThrough);
  EXPECT_TRUE(fs::is_symlink(folder / "link.gif"));
  EXPECT_EQ(FileContents(folder / "real" / "target.gif"), (Bytes{4, 5}));
}

TEST(SafeWrite, ReplacesALinkPlantedUnderTheName) {
  TempFolder folder;
  fs::create_directory(folder / "work");
  fs::create_directory(folder / "elsewhere");
  WriteBytes(folder / "elsewhere" / "victim.txt", {'k', 'e', 'e', 'p'});
  fs::permissions(folder / "elsewhere" / "victim.txt", fs::perms(0600));
  fs::create_symlink("../elsewhere/victim.txt", folder / "work" / "mini-a.jpg");
  fs::create_symlink("../elsewhere/new.jpg", folder / "work" / "mini-b.jpg");  // dangling
  fs::create_symlink("../elsewhere", folder / "work" / "mini-c.jpg");          // to a folder
  for (const char* name : {"mini-a.jpg", "mini-b.jpg", "mini-c.jpg"}) {
    WriteFileAtomically(folder / "work" / name, Bytes{7, 7});
    EXPECT_FALSE(fs::is_symlink(folder / "work" / name)) << name;
    EXPECT_EQ(FileContents(folder / "work" / name), (Bytes{7, 7})) << name;
    // A new file of its own, not the mode of what the link named.
    EXPECT_NE(fs::status(folder / "work" / name).permissions(), fs::perms(0600)) << name;
  }
  EXPECT_EQ(FileContents(folder / "elsewhere" / "victim.txt"), (Bytes{'k', 'e', 'e', 'p'}));
  EXPECT_FALSE(fs::exists(folder / "elsewhere" / "new.jpg"));
  EXPECT_EQ(EntryCount(folder / "elsewhere"), 1);
  EXPECT_EQ(EntryCount(folder / "work"), 3);
}

TEST(SafeWrite, TheTemporaryNameFitsEveryNameTheSystemTakes) {
  const std::string random = "abcdefgh";
  EXPECT_EQ(TemporaryFileName("a.jpg", random), ".a.jpg.pixtrel-abcdefgh.tmp");
  for (std::size_t length = 200; length <= 255; ++length) {
    const std::string temporary = TemporaryFileName(std::string(length, 'x'), random);
    EXPECT_LE(temporary.size(), 255u) << length;
    EXPECT_TRUE(IsOurTemporaryName(temporary)) << length;
  }
  // Shortened at a character boundary: "é" is two bytes.
  std::string accents;
  while (accents.size() < 250)
    accents += "\xC3\xA9";
  const std::string temporary = TemporaryFileName(accents, random);
  EXPECT_EQ((temporary.size() - 22) % 2, 0u);
  EXPECT_EQ(temporary.substr(1, 2), "\xC3\xA9");
  EXPECT_EQ(temporary.substr(temporary.size() - 21), ".pixtrel-abcdefgh.tmp");
}

TEST(SafeWrite, NamesUpToTheSystemsLimitCanBeWritten) {
  TempFolder folder;
  for (std::size_t length : {233, 234, 240, 250, 255}) {
    const std::string name = std::string(length - 4, 'n') + ".jpg";
    WriteFileAtomically(folder / name, Bytes{1, 2});
    EXPECT_EQ(FileContents(folder / name), (Bytes{1, 2})) << length;
    // Replaced again: the temporary file beside an existing one.
    WriteFileAtomically(folder / name, Bytes{3});
    EXPECT_EQ(FileContents(folder / name), (Bytes{3})) << length;
  }
  EXPECT_EQ(EntryCount(folder.path()), 5);
}

TEST(SafeWrite, AFolderInTheWayIsAnError) {
  TempFolder folder;
  fs::create_directory(folder / "taken.jpg");
  EXPECT_THROW(WriteFileAtomically(folder / "taken.jpg", Bytes{1}), Exception);
  EXPECT_THROW(WriteFileAtomically(folder / "taken.jpg", Bytes{1}, LinkHandling::WriteThrough),
               Exception);
  EXPECT_TRUE(fs::is_directory(folder / "taken.jpg"));
}

}  // namespace
