// The files a one-pass batch reads: named files, folders with and without their subfolders,
// the output folder left out, lists from a file, and shards that together are the whole list.
#include "batch/InputList.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "core/Errors.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

bool IsPicture(const std::string& name) {
  return name.size() > 4 &&
         (name.substr(name.size() - 4) == ".jpg" || name.substr(name.size() - 4) == ".png");
}

void Touch(const fs::path& path) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << "x";
}

std::string Listed(const std::vector<InputFile>& files) {
  std::string text;
  for (const InputFile& f : files)
    text += f.relative.generic_string() + " ";
  return text;
}

class InputList : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.jpg", "a.png", "notes.txt", "2024/x.jpg", "2024/May/y.png",
                             "2024/May/z.txt", "out/a.jpg", "out/deep/b.jpg", "c/d.jpg"}) {
      Touch(root / name);
    }
  }
  TempFolder temp;
  fs::path root = temp.path() / "photos";
};

TEST_F(InputList, AFolderGivesItsPicturesAndRecursiveItsSubfoldersToo) {
  EXPECT_EQ(Listed(ListInputs({root}, false, nullptr, IsPicture)), "a.png b.jpg ");
  EXPECT_EQ(Listed(ListInputs({root}, true, nullptr, IsPicture)),
            "a.png b.jpg 2024/x.jpg 2024/May/y.png c/d.jpg out/a.jpg out/deep/b.jpg ");
  const auto files = ListInputs({root}, true, nullptr, IsPicture);
  EXPECT_EQ(files[3].path, root / "2024" / "May" / "y.png");
}

TEST_F(InputList, TheOutputFolderIsNeverReadHoweverItIsNamed) {
  for (const fs::path& out : {root / "out", root / "c" / ".." / "out" / "."}) {
    const fs::path resolved = ResolvedPath(out);
    EXPECT_EQ(
        Listed(ListInputs(
            {root}, true, [&](const fs::path& folder) { return folder == resolved; }, IsPicture)),
        "a.png b.jpg 2024/x.jpg 2024/May/y.png c/d.jpg ");
  }
}

TEST_F(InputList, NamedFilesAreTakenWhateverTheirNameAndMissingOnesAreReported) {
  const auto files =
      ListInputs({root / "notes.txt", root / "2024" / "x.jpg"}, false, nullptr, IsPicture);
  EXPECT_EQ(Listed(files), "notes.txt x.jpg ");
  try {
    (void)ListInputs({root / "gone.jpg"}, false, nullptr, IsPicture);
    ADD_FAILURE() << "a missing file was not reported";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "No such file or folder: " + (root / "gone.jpg").string());
  }
}

TEST_F(InputList, LinksToFoldersAreNotFollowed) {
  fs::create_directory_symlink(root, root / "2024" / "loop");
  EXPECT_EQ(Listed(ListInputs({root}, true, nullptr, IsPicture)),
            "a.png b.jpg 2024/x.jpg 2024/May/y.png c/d.jpg out/a.jpg out/deep/b.jpg ");
}

TEST(NameList, LinesOrNulSeparatedNames) {
  std::istringstream lines("a.jpg\r\n\nsub dir/b c.png\nlast.jpg");
  const auto names = ReadNameList(lines, false);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[1], "sub dir/b c.png");
  EXPECT_EQ(names[2], "last.jpg");
  std::istringstream nul(std::string("line\none.jpg\0\0two.jpg\0", 22));
  const auto nulNames = ReadNameList(nul, true);
  ASSERT_EQ(nulNames.size(), 2u);
  EXPECT_EQ(nulNames[0], "line\none.jpg");
}

TEST(Shards, EveryItemIsInExactlyOneShard) {
  EXPECT_EQ(ParseShard("2/5").index, 2);
  EXPECT_EQ(ParseShard("2/5").count, 5);
  for (const char* bad : {"0/3", "4/3", "1/0", "1", "a/b", "1/3x", "-1/3", ""}) {
    EXPECT_THROW((void)ParseShard(bad), Exception) << bad;
  }
  for (int n = 1; n <= 7; ++n) {
    std::multiset<std::size_t> seen;
    std::size_t smallest = 1000, largest = 0;
    for (int k = 1; k <= n; ++k) {
      std::size_t mine = 0;
      for (std::size_t i = 0; i < 100; ++i) {
        if (InShard(i, {k, n})) {
          seen.insert(i);
          ++mine;
        }
      }
      smallest = std::min(smallest, mine);
      largest = std::max(largest, mine);
    }
    EXPECT_EQ(seen.size(), 100u);
    for (std::size_t i = 0; i < 100; ++i)
      EXPECT_EQ(seen.count(i), 1u);
    EXPECT_LE(largest - smallest, 1u);
  }
}

}  // namespace
}  // namespace pixtrel::test
