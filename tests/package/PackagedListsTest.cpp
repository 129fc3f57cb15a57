// The lists of formats that ship outside the program agree with its registry, as
// "pixtrel-batch --list-formats" and "--help" print it: the desktop file's MIME types, the
// metainfo's media types, the bash completion's commands, --to words and extensions, the manual
// pages' format lists and the help page's resize tabs. A format added to the registry fails
// here, naming the file, until every list names it too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

struct ListedFormat {
  std::string key;
  bool writes = false;
  std::vector<std::string> extensions, mimeTypes;
  std::string title, name;
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);)
    if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string Text(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The first match's group 1 in the file's text; fails the test when there is none.
std::string Find(const std::string& text, const std::string& pattern, const std::string& file) {
  std::smatch match;
  if (!std::regex_search(text, match, std::regex(pattern))) {
    ADD_FAILURE() << file << ": no line matches " << pattern;
    return {};
  }
  return match[1].str();
}

// "a, b, c or d" (or "a, b, c, d") as its words.
std::vector<std::string> Listed(std::string text) {
  text = std::regex_replace(text, std::regex(" or | and "), ", ");
  std::vector<std::string> words;
  for (std::string word : Split(text, ',')) {
    word.erase(0, word.find_first_not_of(' '));
    word.erase(word.find_last_not_of(' ') + 1);
    words.push_back(word);
  }
  return words;
}

std::string Shown(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words)
    text += (text.empty() ? "" : " ") + word;
  return "{" + text + "}";
}

// What a packaged list lacks and has in excess of the registry's, and whether its order differs
// where the order counts; empty when they agree.
std::string Difference(const std::vector<std::string>& listed,
                       const std::vector<std::string>& registry, bool ordered) {
  const std::set<std::string> have(listed.begin(), listed.end()),
      want(registry.begin(), registry.end());
  std::vector<std::string> missing, extra;
  std::set_difference(want.begin(), want.end(), have.begin(), have.end(),
                      std::back_inserter(missing));
  std::set_difference(have.begin(), have.end(), want.begin(), want.end(),
                      std::back_inserter(extra));
  std::string text;
  if (!missing.empty()) text += " missing " + Shown(missing);
  if (!extra.empty()) text += " not in the registry " + Shown(extra);
  if (listed.size() != have.size()) text += " a word listed twice";
  if (text.empty() && ordered && listed != registry)
    text += " in the order " + Shown(listed) + " instead of " + Shown(registry);
  return text;
}

class PackagedListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const RunResult list = RunBatchTool({"--list-formats"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    for (const std::string& line : Split(list.out, '\n')) {
      const std::vector<std::string> fields = Split(line, '\t');
      ASSERT_EQ(fields.size(), 6u) << "--list-formats: " << line;
      ListedFormat format{fields[0],
                          fields[1] == "read,write",
                          Split(fields[2], ' '),
                          Split(fields[3], ' '),
                          fields[4],
                          fields[5]};
      ASSERT_TRUE(fields[1] == "read" || format.writes) << line;
      formats.push_back(format);
    }
    ASSERT_FALSE(formats.empty());
    const RunResult usage = RunBatchTool({"--help"});
    ASSERT_EQ(usage.exitCode, 0) << usage.err;
    help = usage.out;
    // The resize commands in the order --help lists them: the resize tabs' order.
    for (const std::string& line : Split(help, '\n')) {
      std::smatch match;
      if (std::regex_search(line, match, std::regex("^  resize-([a-z0-9]+) +resize (.+) files")))
        resized.push_back(match[1].str());
    }
  }

  const ListedFormat& Format(const std::string& key) const {
    return *std::find_if(formats.begin(), formats.end(),
                         [&](const ListedFormat& f) { return f.key == key; });
  }
  std::vector<std::string> AllMimeTypes() const {
    std::vector<std::string> all;
    for (const ListedFormat& f : formats)
      all.insert(all.end(), f.mimeTypes.begin(), f.mimeTypes.end());
    return all;
  }
  std::vector<std::string> WrittenKeys() const {
    std::vector<std::string> keys;
    for (const ListedFormat& f : formats)
      if (f.writes) keys.push_back(f.key);
    return keys;
  }
  std::vector<std::string> Resized(std::string ListedFormat::*field) const {
    std::vector<std::string> words;
    for (const std::string& key : resized)
      words.push_back(Format(key).*field);
    return words;
  }

  const fs::path source = PIXTREL_SOURCE_DIR;
  std::vector<ListedFormat> formats;
  std::vector<std::string> resized;  // keys, in the order of the resize commands
  std::string help;
};

TEST_F(PackagedListsTest, TheHelpListsAResizeCommandForWrittenFormatsOnlyAndEveryWrittenKey) {
  ASSERT_FALSE(resized.empty()) << "--help lists no resize command";
  for (const std::string& key : resized) {
    ASSERT_TRUE(std::any_of(formats.begin(), formats.end(),
                            [&](const ListedFormat& f) { return f.key == key && f.writes; }))
        << "--help: resize-" << key << " is not a written format of --list-formats";
    EXPECT_NE(help.find("resize-" + key + " "), std::string::npos);
  }
  std::string to;
  for (const std::string& key : WrittenKeys())
    to += (to.empty() ? "" : "|") + key;
  EXPECT_NE(help.find("--to " + to + " "), std::string::npos)
      << "--help: the --to line does not read --to " << to;
  EXPECT_NE(help.find("--list-formats"), std::string::npos) << "--help does not document it";
}

// Fails naming the file, the list and how it differs from the registry's.
void ExpectSame(const std::vector<std::string>& listed, const std::vector<std::string>& registry,
                bool ordered, const std::string& file, const std::string& list) {
  const std::string difference = Difference(listed, registry, ordered);
  EXPECT_TRUE(difference.empty()) << file << ": " << list << ":" << difference;
}

TEST_F(PackagedListsTest, TheDesktopFileAndTheMetainfoOfferEveryMimeType) {
  const std::string desktopFile = "packaging/pixtrel.desktop";
  ExpectSame(Split(Find(Text(source / desktopFile), "\nMimeType=([^\n]*)", desktopFile), ';'),
             AllMimeTypes(), false, desktopFile, "MimeType=");

  const std::string metainfoFile = "packaging/example.pixtrel.Pixtrel.metainfo.xml";
  const std::string metainfo = Text(source / metainfoFile);
  std::vector<std::string> media;
  const std::regex mediatype("<mediatype>([^<]*)</mediatype>");
  for (std::sregex_iterator it(metainfo.begin(), metainfo.end(), mediatype), end; it != end; ++it)
    media.push_back((*it)[1].str());
  ExpectSame(media, AllMimeTypes(), false, metainfoFile, "<mediatype>");
}

TEST_F(PackagedListsTest, TheCompletionOffersEveryCommandKeyAndExtension) {
  const std::string file = "packaging/pixtrel-batch.bash-completion";
  const std::string script = Text(source / file);
  std::vector<std::string> commands;
  for (const std::string& line : Split(help.substr(help.find("Commands:\n")), '\n')) {
    if (line.rfind("  ", 0) != 0) {
      if (!commands.empty()) break;
      continue;
    }
    if (line.size() > 2 && line[2] == ' ') continue;  // a summary's second line
    commands.push_back(line.substr(2, line.find(' ', 2) - 2));
  }
  ExpectSame(Split(Find(script, "\n *commands=\"([^\"]*)\"", file), ' '), commands, true, file,
             "commands= (against --help)");
  ExpectSame(Split(Find(script, "--to\\) COMPREPLY=\\(\\$\\(compgen -W \"([^\"]*)\"", file), ' '),
             WrittenKeys(), true, file, "the --to words");
  std::vector<std::string> extensions, offered;
  for (const ListedFormat& f : formats)
    for (const std::string& extension : f.extensions)
      extensions.push_back("*" + extension);
  for (std::string pattern : Split(Find(script, "\n *(\\*\\.[a-z0-9 |*.]*)\\)", file), '|')) {
    pattern.erase(0, pattern.find_first_not_of(' '));
    pattern.erase(pattern.find_last_not_of(' ') + 1);
    offered.push_back(pattern);
  }
  ExpectSame(offered, extensions, false, file, "the picture extensions offered");
}

TEST_F(PackagedListsTest, TheManualPagesNameEveryFormat) {
  const std::string batchFile = "packaging/pixtrel-batch.1";
  const std::string batch = std::regex_replace(Text(source / batchFile), std::regex("\\\\-"), "-");
  std::vector<std::string> resizeCommands;
  for (const std::string& word :
       Split(std::regex_replace(Find(batch, "\n\\.BR (resize-[^\n]*)", batchFile),
                                std::regex("\" *, *\""), " "),
             ' '))
    resizeCommands.push_back(word.substr(std::string("resize-").size()));
  ExpectSame(resizeCommands, resized, true, batchFile, "the resize commands (against --help)");
  ExpectSame(Listed(Find(batch, "\nResize ([^\n]*) files to", batchFile)),
             Resized(&ListedFormat::name), true, batchFile, "the formats resized");
  const std::string to = std::regex_replace(Find(batch, "\n\\.BR --to \" \" ([^\n]*)", batchFile),
                                            std::regex("\\\\f[IR]"), "");
  ExpectSame(Split(to, '|'), WrittenKeys(), true, batchFile, "the --to words");
  // The formats read, by their MIME subtypes: "JPEG, PNG, WebP, GIF, BMP, HEIC, HEIF, AVIF".
  std::vector<std::string> read, subtypes;
  for (const std::string& word :
       Listed(Find(batch, "Convert pictures of any format Pixtrel reads \\(([^)]*)\\)", batchFile)))
    read.push_back(Lower(word));
  for (const std::string& mime : AllMimeTypes())
    subtypes.push_back(mime.substr(mime.find('/') + 1));
  ExpectSame(read, subtypes, false, batchFile, "the formats convert reads");

  const std::string windowFile = "packaging/pixtrel.1";
  ExpectSame(Listed(Find(Text(source / windowFile),
                         "on the resize tab of their format \\(([^)]*)\\)", windowFile)),
             Resized(&ListedFormat::title), true, windowFile, "the resize tabs");
}

TEST_F(PackagedListsTest, TheHelpPageNamesEveryResizeTab) {
  const std::string file = "app/help.htm";
  const std::string page = Text(source / file);
  ExpectSame(Listed(Find(page, "<tr><td>([^<]*)</td><td>Resize pictures of that format", file)),
             Resized(&ListedFormat::title), true, file, "the commands table's resize tabs");
  ExpectSame(Listed(Find(page, "<li>Click the ([^<]*) tab\\.</li>", file)),
             Resized(&ListedFormat::title), true, file, "the resize steps' tabs");
}

}  // namespace
}  // namespace pixtrel::test
