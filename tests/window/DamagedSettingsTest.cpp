// A damaged settings store: the window starts with the defaults for what it cannot read, says so
// in one note once it is up (never a box while it is being built), works, and closes without
// further boxes. A store of a million keys opens without reading the file at every call.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <fstream>
#include <random>

#include "tests/window/WindowTestSupport.h"

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

class DamagedSettingsTest : public ::testing::Test {
 protected:
  void WriteStore(const std::string& bytes) const {
    fs::create_directories(environment.configFile().parent_path());
    std::ofstream out(environment.configFile(), std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  // Starts the window, lets its start-up run to the end (the preview's timer included) and
  // checks that it works: English texts, the default pixel boxes, a folder shown.
  std::unique_ptr<TForm1> StartWorkingWindow() const {
    auto window = StartWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Timer2->isActive(); }, 5000));
    QTest::qWait(50);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->CurrentLanguage, 2);
    EXPECT_EQ(Control<QPushButton>(*window, "Button2")->text(), "Resize");
    EXPECT_FALSE(window->Folder().isEmpty());
    return window;
  }

  // The one note: a warning naming the store's file.
  void ExpectOneNote(const BoxAnswerer& boxes) const {
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.seen[0].title, "Pixtrel");
    EXPECT_TRUE(boxes.seen[0].text.contains(Q(environment.configFile())))
        << Q(environment.configFile()).toStdString() << " in " << boxes.seen[0].text.toStdString();
  }

  WindowEnvironment environment;
};

TEST_F(DamagedSettingsTest, AValueOfAnotherKindReadsAsItsDefault) {
  WriteStore("[General]\njezik=@ByteArray(zz)\nx=@Point(3 4)\njpg.px=1234\n");
  BoxAnswerer boxes({QMessageBox::Ok});
  auto window = StartWorkingWindow();
  ExpectOneNote(boxes);
  // What could be read is used; the rest is at its default.
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit2")->text(), "1234");
  EXPECT_EQ(window->geometry().topLeft(), QPoint(153, 104));
  // Closing writes good values over the damaged ones, without another box.
  window->close();
  EXPECT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(Stored("x"), "104");
  EXPECT_EQ(Stored("jpg.px"), "1234");
}

TEST_F(DamagedSettingsTest, AStoreThatIsAFolderGivesTheDefaults) {
  fs::create_directories(environment.configFile());
  BoxAnswerer boxes({QMessageBox::Ok});
  auto window = StartWorkingWindow();
  ExpectOneNote(boxes);
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit2")->text(), "800");
  window->close();
  EXPECT_EQ(boxes.seen.size(), 1u);
  EXPECT_TRUE(fs::is_directory(environment.configFile()));
}

TEST_F(DamagedSettingsTest, AStoreOfBinaryBytesGivesTheDefaultsAndIsKept) {
  std::mt19937 random(25);
  std::string bytes(4096, '\0');
  for (char& c : bytes)
    c = static_cast<char>(random());
  WriteStore(bytes);
  BoxAnswerer boxes({QMessageBox::Ok});
  auto window = StartWorkingWindow();
  ExpectOneNote(boxes);
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit2")->text(), "800");
  window->close();
  EXPECT_EQ(boxes.seen.size(), 1u);
  // Nothing is written over a store that could not be read.
  const Bytes kept = FileContents(environment.configFile());
  EXPECT_EQ(std::string(kept.begin(), kept.end()), bytes);
}

TEST_F(DamagedSettingsTest, AStoreThatCannotBeReadGivesTheDefaults) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  WriteStore("[General]\njpg.px=1234\n");
  fs::permissions(environment.configFile(), fs::perms::none);
  BoxAnswerer boxes({QMessageBox::Ok});
  auto window = StartWorkingWindow();
  ExpectOneNote(boxes);
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit2")->text(), "800");
  window->close();
  EXPECT_EQ(boxes.seen.size(), 1u);
  fs::permissions(environment.configFile(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(DamagedSettingsTest, AGoodStoreGivesNoNote) {
  WriteStore("[General]\njezik=2\njpg.px=1234\n");
  BoxAnswerer boxes({});
  auto window = StartWorkingWindow();
  window->close();
  EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(DamagedSettingsTest, AStoreOfAMillionKeysIsReadOnceNotAtEveryCall) {
  {
    fs::create_directories(environment.configFile().parent_path());
    std::ofstream out(environment.configFile());
    out << "[General]\njpg.px=1234\nprisoten=ja\nverzija=1.2\n";
    for (int i = 0; i < 1'000'000; ++i)
      out << "junk" << i << "=" << i << "\n";
  }
  // One read parses the file; the window's start-up makes some thirty more calls, which find it
  // unchanged (and write nothing that is already stored). Reading it at every call took 20 s and
  // more.
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(SettingsStore::ReadString(kSettingsKeyPath, "jpg.px", ""), "1234");
  const auto once = std::chrono::steady_clock::now() - started;
  BoxAnswerer boxes({});
  auto window = StartWorkingWindow();
  const auto all = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit2")->text(), "1234");
  EXPECT_TRUE(boxes.seen.empty());
  EXPECT_LT(all, 3 * once + std::chrono::seconds(2))
      << std::chrono::duration<double>(once).count() << " s for one read, "
      << std::chrono::duration<double>(all).count() << " s to the working window";
}

}  // namespace
}  // namespace pixtrel::test
