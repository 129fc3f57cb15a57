// The settings store: text values, integers as decimal text, absent versus empty, the integer
// conversion, no caching between calls, and failures reported as errors.
#include <QFile>
#include <fstream>
#include <random>

#include "settings/StoredInteger.h"
#include "tests/window/WindowTestSupport.h"

namespace pixtrel::test {
namespace {

const QString kKey = kSettingsKeyPath;

TEST(StoredInteger, FollowsTheConversionRules) {
  const struct {
    const char* text;
    std::optional<int> value;
  } cases[] = {
      {"85", 85},
      {"  -3", -3},
      {"+7", 7},
      {"007", 7},
      {"$1F", 31},
      {"0x1f", 31},
      {"0X10", 16},
      {"-$10", -16},
      {"+0x10", 16},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", {}},
      {"-2147483649", {}},
      {"$FFFFFFFF", {}},
      {"99999999999999999999", {}},
      {"", {}},
      {"   ", {}},
      {"-", {}},
      {"$", {}},
      {"0x", {}},
      {"x10", {}},
      {"12 ", {}},
      {"1e3", {}},
      {"12abc", {}},
      {"abc", {}},
      {"$G", {}},
      {"--1", {}},
      {"\t5", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseStoredInteger(QString::fromLatin1(c.text)), c.value) << '"' << c.text << '"';
  }
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  WindowEnvironment environment;
};

TEST_F(SettingsStoreTest, KeepsTextAndTellsAbsentFromEmpty) {
  EXPECT_EQ(SettingsStore::ReadString(kKey, "jpg.px", "800"), "800");
  SettingsStore::WriteString(kKey, "jpg.px", "");
  EXPECT_EQ(SettingsStore::ReadString(kKey, "jpg.px", "800"), "");
  SettingsStore::WriteString(kKey, "Start", "/home/ana/My pictures, 2024\\old");
  EXPECT_EQ(SettingsStore::ReadString(kKey, "Start", ""), "/home/ana/My pictures, 2024\\old");
  // An empty or foreign text reads as the integer default.
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "jpg.px", 85), 85);
  SettingsStore::WriteString(kKey, "w", "abc");
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "w", 713), 713);
}

TEST_F(SettingsStoreTest, KeepsIntegersAsDecimalText) {
  SettingsStore::WriteInteger(kKey, "x", -3);
  EXPECT_EQ(SettingsStore::ReadString(kKey, "x", ""), "-3");
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "x", 0), -3);
  SettingsStore::WriteString(kKey, "y", " $20");
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "y", 0), 32);
}

TEST_F(SettingsStoreTest, LivesInTheGeneralSectionOfTheUsersConfigFile) {
  SettingsStore::WriteString(kKey, "jpg.px", "640");
  SettingsStore::WriteInteger(kKey, "jpg.q", 70);
  QFile file(Q(environment.configFile()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(text.startsWith("[General]")) << text.toStdString();
  EXPECT_TRUE(text.contains("jpg.px=640")) << text.toStdString();
  EXPECT_TRUE(text.contains("jpg.q=70")) << text.toStdString();
}

TEST_F(SettingsStoreTest, SeesChangesMadeBetweenCalls) {
  SettingsStore::WriteInteger(kKey, "x", 1);
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "x", 0), 1);
  // Another copy of the program rewrites the file.
  {
    std::ofstream out(environment.configFile(), std::ios::trunc);
    out << "[General]\nx=2222\n";
  }
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "x", 0), 2222);
}

TEST_F(SettingsStoreTest, CutsTextAtTheFirstNul) {
  SettingsStore::WriteString(kKey, "Start", QStringLiteral("ab") + QChar(0) + "cd");
  EXPECT_EQ(SettingsStore::ReadString(kKey, "Start", ""), "ab");
}

TEST_F(SettingsStoreTest, AValueOfAnotherKindReadsAsTheDefaultAndIsRecorded) {
  std::filesystem::create_directories(environment.configFile().parent_path());
  {
    std::ofstream out(environment.configFile(), std::ios::trunc);
    out << "[General]\nStart=@ByteArray(abc)\njezik=@Point(1 2)\njpg.px=640\n";
  }
  EXPECT_EQ(SettingsStore::TakeDamage(), std::nullopt);
  EXPECT_EQ(SettingsStore::ReadString(kKey, "jpg.px", "800"), "640");
  EXPECT_EQ(SettingsStore::TakeDamage(), std::nullopt);
  EXPECT_EQ(SettingsStore::ReadString(kKey, "Start", "c:\\"), "c:\\");
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "jezik", 2), 2);
  EXPECT_EQ(SettingsStore::TakeDamage(), Q(environment.configFile()));
  EXPECT_EQ(SettingsStore::TakeDamage(), std::nullopt);
  // Writing a good value over it mends it.
  SettingsStore::WriteInteger(kKey, "jezik", 7);
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "jezik", 2), 7);
  EXPECT_EQ(SettingsStore::TakeDamage(), std::nullopt);
}

TEST_F(SettingsStoreTest, AStoreThatCannotBeReadIsNeitherReadNorWritten) {
  std::filesystem::create_directories(environment.configFile().parent_path());
  std::mt19937 random(4);
  std::string binary(4096, '\0');
  for (char& c : binary)
    c = static_cast<char>(random());
  {
    std::ofstream out(environment.configFile(), std::ios::binary | std::ios::trunc);
    out << binary;
  }
  EXPECT_EQ(SettingsStore::ReadString(kKey, "jpg.px", "800"), "800");
  EXPECT_EQ(SettingsStore::TakeDamage(), Q(environment.configFile()));
  EXPECT_THROW(SettingsStore::WriteString(kKey, "jpg.px", "640"), SettingsError);
  EXPECT_EQ(SettingsStore::TakeDamage(), Q(environment.configFile()));
  const Bytes kept = FileContents(environment.configFile());
  EXPECT_EQ(std::string(kept.begin(), kept.end()), binary);
}

TEST_F(SettingsStoreTest, AValueThatHoldsTheTextAlreadyIsNotWrittenAgain) {
  SettingsStore::WriteString(kKey, "prisoten", "ja");
  const auto written = std::filesystem::last_write_time(environment.configFile());
  std::filesystem::last_write_time(environment.configFile(), written - std::chrono::hours(1));
  StoreTraffic traffic;
  SettingsStore::WriteString(kKey, "prisoten", "ja");
  EXPECT_EQ(traffic.writes, std::vector<QString>{"prisoten"});  // still a write of the store
  EXPECT_EQ(std::filesystem::last_write_time(environment.configFile()),
            written - std::chrono::hours(1));
  SettingsStore::WriteString(kKey, "prisoten", "da");
  EXPECT_EQ(SettingsStore::ReadString(kKey, "prisoten", ""), "da");
}

TEST_F(SettingsStoreTest, ReportsAStoreThatCannotBeWritten) {
  // The configuration folder is a plain file, so nothing can be created below it.
  const std::filesystem::path blocker = environment.makeFolder("blocked") / "config";
  { std::ofstream out(blocker); }
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(blocker.string()));
  FollowConfigFolder();
  try {
    SettingsStore::WriteInteger(kKey, "x", 5);
    FAIL() << "no error";
  } catch (const SettingsError& error) {
    EXPECT_STREQ(error.what(), "Failed to set data for 'x'");
  }
  EXPECT_NE(SettingsStore::TakeDamage(), std::nullopt);
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "x", 104), 104);
}

TEST_F(SettingsStoreTest, MapsOtherKeyPathsToTheirOwnFiles) {
  SettingsStore::WriteString("Software\\Korvane\\Other", "a", "b");
  EXPECT_EQ(SettingsStore::ReadString("Software\\Korvane\\Other", "a", ""), "b");
  EXPECT_EQ(SettingsStore::ReadString(kKey, "a", "none"), "none");
  EXPECT_TRUE(std::filesystem::exists(environment.config() / "Korvane" / "Other.conf"));
  EXPECT_THROW(SettingsStore::ReadString("Software", "a", ""), SettingsError);
}

}  // namespace
}  // namespace pixtrel::test
