// The Debian package as a user gets it: built from this build with cpack, unpacked with
// dpkg -x, every installed file checked, and the desktop file, the AppStream metainfo, the
// manual pages and the bash completion checked with the tools a desktop uses on them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

// The package, built once for all the tests of this file.
struct Package {
  std::string problem;  // why there is none
  bool skip = false;    // the problem is a missing tool
  std::unique_ptr<TempFolder> folder;
  fs::path deb;
  fs::path root;  // where dpkg -x put its files
};

const Package& ThePackage() {
  static const Package package = [] {
    Package made;
    for (const char* tool : {"cpack", "dpkg-deb", "dpkg-shlibdeps"}) {
      if (!HaveProgram(tool)) {
        made.problem = "Missing tool: " + std::string(tool) +
                       " is not installed (Debian packages cmake, dpkg-dev)";
        made.skip = true;
        return made;
      }
    }
    made.folder = std::make_unique<TempFolder>();
    const fs::path out = *made.folder / "out";
    const RunResult packed = Run({"cpack", "-G", "DEB", "-B", out.string(), "--config",
                                  std::string(PIXTREL_BUILD_DIR) + "/CPackConfig.cmake"},
                                 PIXTREL_BUILD_DIR, 600);
    for (const auto& entry : fs::directory_iterator(out)) {
      if (entry.path().extension() == ".deb") made.deb = entry.path();
    }
    if (packed.exitCode != 0 || made.deb.empty()) {
      made.problem = "cpack failed: " + packed.out + packed.err;
      return made;
    }
    made.root = *made.folder / "root";
    const RunResult unpacked = Run({"dpkg", "-x", made.deb.string(), made.root.string()});
    if (unpacked.exitCode != 0) made.problem = "dpkg -x failed: " + unpacked.err;
    return made;
  }();
  return package;
}

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ThePackage().skip) GTEST_SKIP() << ThePackage().problem;
    ASSERT_EQ(ThePackage().problem, "");
  }
  fs::path Installed(const std::string& path) const { return ThePackage().root / path; }
  void NeedTool(const char* tool, const char* package) {
    if (!HaveProgram(tool))
      PIXTREL_SKIP_MISSING_TOOL() << tool << " is not installed (Debian package " << package << ")";
  }
};

// The fixed choices an option's usage ends with ("--save prefix|subfolder|overwrite"), if any.
void AddFixedChoices(const std::string& usage, const std::string& option,
                     std::map<std::string, std::set<std::string>>& values) {
  const std::string choice = usage.substr(usage.rfind(' ') + 1);
  if (choice.find('|') == std::string::npos || choice[0] == '-') return;
  std::istringstream words(choice);
  for (std::string word; std::getline(words, word, '|');)
    values[option].insert(word);
}

TEST_F(PackageTest, ItIsNamedAsDebianNamesPackages) {
  const std::string name = ThePackage().deb.filename().string();
  EXPECT_TRUE(std::regex_match(name, std::regex("pixtrel_1\\.2_[a-z0-9]+\\.deb"))) << name;
}

TEST_F(PackageTest, EveryInstalledFileIsOneOfOurs) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(ThePackage().root)) {
    if (!entry.is_directory()) files.insert(fs::relative(entry.path(), ThePackage().root));
  }
  std::set<std::string> expected = {
      "usr/bin/pixtrel",
      "usr/bin/pixtrel-batch",
      "usr/share/pixtrel/help.htm",
      "usr/share/applications/pixtrel.desktop",
      "usr/share/metainfo/example.pixtrel.Pixtrel.metainfo.xml",
      "usr/share/icons/hicolor/scalable/apps/pixtrel.svg",
      "usr/share/man/man1/pixtrel.1.gz",
      "usr/share/man/man1/pixtrel-batch.1.gz",
      "usr/share/bash-completion/completions/pixtrel-batch",
  };
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    const std::string square = std::to_string(size) + "x" + std::to_string(size);
    expected.insert("usr/share/icons/hicolor/" + square + "/apps/pixtrel.png");
  }
  EXPECT_EQ(files, expected);  // no screenshot driver, no test programs

  for (const char* program : {"usr/bin/pixtrel", "usr/bin/pixtrel-batch"}) {
    const fs::perms perms = fs::status(Installed(program)).permissions();
    EXPECT_NE(perms & fs::perms::others_exec, fs::perms::none) << program;
  }
  // Each PNG icon is a PNG of its size.
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    const std::string square = std::to_string(size) + "x" + std::to_string(size);
    const Bytes png =
        FileContents(Installed("usr/share/icons/hicolor/" + square + "/apps/pixtrel.png"));
    ASSERT_GE(png.size(), 24u) << square;
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    const int width = png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19];
    const int height = png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23];
    EXPECT_EQ(width, size);
    EXPECT_EQ(height, size);
  }
}

TEST_F(PackageTest, ItDependsOnTheLibrariesItLinks) {
  const RunResult depends = RunProgram({"dpkg-deb", "-f", ThePackage().deb.string(), "Depends"});
  ASSERT_EQ(depends.exitCode, 0) << depends.err;
  for (const char* needed :
       {"libqt6widgets6", "libqt6gui6", "libqt6core6", "libjpeg62-turbo", "libstdc++6", "libc6"}) {
    EXPECT_NE(depends.out.find(needed), std::string::npos) << needed << " in " << depends.out;
  }
}

TEST_F(PackageTest, TheInstalledBatchToolRuns) {
  const RunResult version = RunProgram({Installed("usr/bin/pixtrel-batch").string(), "--version"});
  EXPECT_EQ(version.exitCode, 0) << version.err;
  EXPECT_EQ(version.out, "pixtrel-batch 1.2\n");
}

TEST_F(PackageTest, TheDesktopFileValidatesAndOpensFiles) {
  NeedTool("desktop-file-validate", "desktop-file-utils");
  const fs::path desktop = Installed("usr/share/applications/pixtrel.desktop");
  const RunResult valid = RunProgram({"desktop-file-validate", desktop.string()});
  EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
  EXPECT_EQ(valid.out + valid.err, "");  // not even a hint
  const Bytes bytes = FileContents(desktop);
  const std::string text(bytes.begin(), bytes.end());
  for (const char* line :
       {"\nExec=pixtrel %F\n",
        "\nMimeType=image/jpeg;image/gif;image/bmp;image/png;image/webp;image/heic;image/heif;"
        "image/avif;image/jxl;\n",
        "\nCategories=Graphics;Photography;Qt;\n", "\nIcon=pixtrel\n", "\nActions=resize;rotate;\n",
        "[Desktop Action resize]\nName=Resize pictures\nExec=pixtrel --tab resize %F\n",
        "[Desktop Action rotate]\nName=Rotate pictures\nExec=pixtrel --tab rotate %F\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

TEST_F(PackageTest, TheMetainfoValidates) {
  NeedTool("appstreamcli", "appstream");
  const RunResult valid =
      RunProgram({"appstreamcli", "validate", "--no-net",
                  Installed("usr/share/metainfo/example.pixtrel.Pixtrel.metainfo.xml").string()});
  EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
}

TEST_F(PackageTest, BothManualPagesRender) {
  NeedTool("man", "man-db");
  for (const auto& [page, name] : std::vector<std::pair<std::string, std::string>>{
           {"pixtrel.1.gz", "pixtrel - batch picture tool"},
           {"pixtrel-batch.1.gz", "pixtrel-batch - run Pixtrel's batch picture commands"}}) {
    const RunResult shown =
        RunProgram({"env", "MANWIDTH=200", "MAN_KEEP_FORMATTING=0", "man", "--warnings", "-l",
                    Installed("usr/share/man/man1/" + page).string()});
    EXPECT_EQ(shown.exitCode, 0) << page << ": " << shown.err;
    EXPECT_EQ(shown.err, "") << page;  // groff's warnings
    EXPECT_NE(shown.out.find(name), std::string::npos) << page << ":\n" << shown.out;
  }
}

// The words a bash completion offers for the command line typed so far.
std::set<std::string> Completions(const fs::path& script, const std::string& words, int word,
                                  const fs::path& folder = {}) {
  const RunResult r =
      RunProgram({"bash", "-c",
                  "source \"$1\"; COMP_WORDS=($2 \"\"); COMP_CWORD=$3; _pixtrel_batch; "
                  "printf '%s\\n' \"${COMPREPLY[@]}\"",
                  "bash", script.string(), words, std::to_string(word)},
                 folder);
  std::set<std::string> offered;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) offered.insert(line);
  return offered;
}

TEST_F(PackageTest, TheCompletionOffersEveryCommandAndOptionOfTheHelp) {
  const RunResult help = RunProgram({Installed("usr/bin/pixtrel-batch").string(), "--help"});
  ASSERT_EQ(help.exitCode, 0);
  // "  name  what it does" under "Commands:"; "  -x, --name VALUE   what" under "Options:".
  std::set<std::string> commands, options;
  std::map<std::string, std::set<std::string>> values;
  std::string section;
  std::istringstream lines(help.out);
  const std::regex option("--?[A-Za-z][A-Za-z-]*");
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] != ' ' && line.back() == ':') section = line;
    if (line.rfind("  ", 0) != 0 || line.rfind("   ", 0) == 0) continue;
    const std::string usage = line.substr(2, line.find("  ", 2) - 2);
    if (section == "Commands:") commands.insert(usage.substr(0, usage.find(' ')));
    if (section != "Options:") continue;
    std::string last;
    for (std::sregex_iterator it(usage.begin(), usage.end(), option), end; it != end; ++it) {
      if (it->position() > 0 && usage[it->position() - 1] != ' ') continue;
      last = it->str();
      options.insert(last);
    }
    AddFixedChoices(usage, last, values);
  }
  ASSERT_EQ(commands.size(), 20u);  // the classic ones, resize-jxl/-avif/-heic, process, presets
  ASSERT_TRUE(options.count("--turn") && options.count("-C") && options.count("--version"));

  const fs::path script = Installed("usr/share/bash-completion/completions/pixtrel-batch");
  std::set<std::string> first = commands;
  first.insert(options.begin(), options.end());
  EXPECT_EQ(Completions(script, "pixtrel-batch", 1), first);
  // After the command: the pictures and folders of the folder, nothing else.
  TempFolder files;
  for (const char* name :
       {"a.jpg", "b.GIF", "c.bmp", "d.png", "e.webp", "f.HEIC", "g.heif", "h.avif", "notes.txt"})
    WriteBytes(files / name, {});
  fs::create_directory(files / "album");
  EXPECT_EQ(Completions(script, "pixtrel-batch rotate", 2, files.path()),
            (std::set<std::string>{"a.jpg", "album", "b.GIF", "c.bmp", "d.png", "e.webp", "f.HEIC",
                                   "g.heif", "h.avif"}));
  ASSERT_EQ(values.size(), 5u);  // --save, --method, --turn, --to, --metadata
  for (const auto& [name, choices] : values)
    EXPECT_EQ(Completions(script, "pixtrel-batch rotate " + name, 3), choices) << name;
}

TEST_F(PackageTest, TheCompletionOffersEveryOptionOfProcess) {
  const RunResult help =
      RunProgram({Installed("usr/bin/pixtrel-batch").string(), "process", "--help"});
  ASSERT_EQ(help.exitCode, 0);
  // "  --name VALUE   what" lines, the options first on them.
  std::set<std::string> options;
  std::map<std::string, std::set<std::string>> values;
  std::istringstream lines(help.out);
  const std::regex option("(^|, )(--?[A-Za-z0-9][A-Za-z0-9-]*)");
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  -", 0) != 0) continue;
    const std::string usage = line.substr(2, line.find("  ", 2) - 2);
    std::string last;
    for (std::sregex_iterator it(usage.begin(), usage.end(), option), end; it != end; ++it) {
      last = (*it)[2].str();
      options.insert(last);
    }
    AddFixedChoices(usage, last, values);
  }
  ASSERT_TRUE(options.count("--size") && options.count("--preset") && options.count("-q"));
  const fs::path script = Installed("usr/share/bash-completion/completions/pixtrel-batch");
  EXPECT_EQ(Completions(script, "pixtrel-batch process a.jpg -", 3), [&] {
    std::set<std::string> dashed;
    for (const std::string& o : options)
      dashed.insert(o);
    return dashed;
  }());
  for (const auto& [name, choices] : values)
    EXPECT_EQ(Completions(script, "pixtrel-batch process " + name, 3), choices) << name;
  // --to offers keep and every format process can write.
  const std::size_t to = help.out.find("--to FORMAT");
  ASSERT_NE(to, std::string::npos);
  std::string formats = help.out.substr(to + 11, help.out.find('(', to) - to - 11);
  std::set<std::string> written;
  std::istringstream words(formats);
  for (std::string word; words >> word;)
    written.insert(word.substr(0, word.find(',')));
  EXPECT_EQ(Completions(script, "pixtrel-batch process --to", 3), written);
}

}  // namespace
}  // namespace pixtrel::test
