// Where the main window and the preview open and what closing them stores, on a real X11
// desktop with a window manager that frames windows: the stored place must come back exactly,
// run after run, with no creeping by the frame's size.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "codecs/jpeg/JpegImage.h"
#include "tests/support/XDesktop.h"

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

const std::string kMain = "Pixtrel";
const std::string kPreview = "Preview images";

class PlacementTest : public ::testing::Test {
 protected:
  explicit PlacementTest(int screenWidth = 1280, int screenHeight = 1024)
      : desktop(screenWidth, screenHeight) {}

  void SetUp() override {
    if (desktop.noServer()) GTEST_SKIP() << desktop.problem();
    ASSERT_EQ(desktop.problem(), "");
    fs::create_directories(home / ".config" / "Korvane");
    fs::create_directories(home / "runtime");
    fs::permissions(home / "runtime", fs::perms::owner_all);
  }

  fs::path StoreFile() const { return home / ".config" / "Korvane" / "Pixtrel.conf"; }

  // A store holding only these values (and the start folder, so nothing else differs by
  // machine).
  void Store(const std::map<std::string, std::string>& values) const {
    std::ofstream out(StoreFile());
    out << "[General]\nStart=" << home.string() << "\n";
    for (const auto& [name, text] : values)
      out << name << "=" << text << "\n";
  }

  // The values of the store file's [General] section.
  std::map<std::string, std::string> Stored() const {
    std::map<std::string, std::string> values;
    std::ifstream in(StoreFile());
    for (std::string line; std::getline(in, line);) {
      const std::size_t equals = line.find('=');
      if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
  }

  std::string StoredValue(const std::string& name) const {
    const auto values = Stored();
    const auto found = values.find(name);
    return found == values.end() ? "<absent>" : found->second;
  }

  // Starts the program as a user does, with this test's home; its windows once the window
  // manager has framed every one with the titles.
  std::vector<XWindow> Start(const std::vector<std::string>& titles,
                             const std::vector<std::string>& arguments = {}) {
    program.reset();
    std::vector<std::string> command = {PIXTREL_WINDOW_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    program.emplace(
        command,
        std::map<std::string, std::string>{{"DISPLAY", desktop.display()},
                                           {"HOME", home.string()},
                                           {"XDG_CONFIG_HOME", (home / ".config").string()},
                                           {"XDG_RUNTIME_DIR", (home / "runtime").string()},
                                           {"QT_QPA_PLATFORM", "xcb"}},
        home / "pixtrel.log");
    const auto windows = desktop.WaitForWindows(program->pid(), titles);
    if (!windows) {
      ADD_FAILURE() << "the windows did not appear; the program wrote:\n" << Log();
      return {};
    }
    return *windows;
  }

  // Closes the main window with its close box and waits for the program to end.
  void CloseMain(const std::vector<XWindow>& windows) {
    const auto main = WindowTitled(windows, kMain);
    ASSERT_TRUE(main);
    desktop.Close(*main);
    const auto code = program->WaitForExit(30);
    ASSERT_TRUE(code) << "the program did not end when its window was closed";
    EXPECT_EQ(*code, 0) << Log();
  }

  std::string Log() const {
    const Bytes log = FileContents(home / "pixtrel.log");
    return std::string(log.begin(), log.end());
  }

  XDesktop desktop;
  TempFolder folder;
  fs::path home = folder.path();
  std::optional<BackgroundProgram> program;
};

// The inside of the window (without the frame) where the store's "x" (top) and "y" (left) put
// it, of the stored size.
void ExpectInside(const std::optional<XWindow>& window, int top, int left, int width, int height) {
  ASSERT_TRUE(window);
  EXPECT_EQ(window->top, top) << window->title;
  EXPECT_EQ(window->left, left) << window->title;
  EXPECT_EQ(window->width, width) << window->title;
  EXPECT_EQ(window->height, height) << window->title;
}

TEST_F(PlacementTest, TheFirstRunOpensAtTheDefaultPlaceAndStoresIt) {
  const auto windows = Start({kMain, kPreview});
  // Top 104, left 153; 713 by 523 raised to the minimum. The preview beside it, to its right,
  // covering none of it.
  ExpectInside(WindowTitled(windows, kMain), 104, 153, 745, 549);
  const auto preview = WindowTitled(windows, kPreview);
  ASSERT_TRUE(preview);
  EXPECT_GT(preview->left, 153 + 745);
  EXPECT_LT(preview->left, 153 + 745 + 40);
  EXPECT_GE(preview->top, 104 - 40);
  EXPECT_LE(preview->top, 104 + 40);
  const int previewTop = preview->top;
  const int previewLeft = preview->left;
  CloseMain(windows);
  EXPECT_EQ(StoredValue("x"), "104");
  EXPECT_EQ(StoredValue("y"), "153");
  EXPECT_EQ(StoredValue("w"), "745");
  EXPECT_EQ(StoredValue("h"), "549");
  // Stored where it was shown.
  EXPECT_EQ(StoredValue("preview_x"), std::to_string(previewTop));
  EXPECT_EQ(StoredValue("preview_y"), std::to_string(previewLeft));
}

TEST_F(PlacementTest, AStoredPlaceIsWrittenBackUnchangedRunAfterRun) {
  Store({{"x", "300"}, {"y", "50"}, {"w", "900"}, {"h", "700"}, {"preview", "0"}});
  for (int run = 1; run <= 3; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const auto windows = Start({kMain});
    ExpectInside(WindowTitled(windows, kMain), 300, 50, 900, 700);
    CloseMain(windows);
    EXPECT_EQ(StoredValue("x"), "300");
    EXPECT_EQ(StoredValue("y"), "50");
    EXPECT_EQ(StoredValue("w"), "900");
    EXPECT_EQ(StoredValue("h"), "700");
  }
}

TEST_F(PlacementTest, IntegerTextsAreReadAsNumbersAndWrittenBackAsDecimals) {
  Store({{"x", "0x78"}, {"y", "$32"}, {"w", "900"}, {"h", "700"}, {"preview", "0"}});
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const auto windows = Start({kMain});
    ExpectInside(WindowTitled(windows, kMain), 120, 50, 900, 700);
    CloseMain(windows);
    EXPECT_EQ(StoredValue("x"), "120");
    EXPECT_EQ(StoredValue("y"), "50");
  }
}

TEST_F(PlacementTest, ThePreviewComesBackWhereItWasLeft) {
  Store({{"preview", "1"}, {"preview_x", "333"}, {"preview_y", "911"}});
  for (int run = 1; run <= 3; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const auto windows = Start({kMain, kPreview});
    const auto preview = WindowTitled(windows, kPreview);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->top, 333);
    EXPECT_EQ(preview->left, 911);
    if (run == 3) {
      // Closed by the user first: that close stores the place too, and "preview" 0.
      desktop.Close(*preview);
      for (int wait = 0; wait < 300 && StoredValue("preview") != "0"; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      EXPECT_EQ(StoredValue("preview"), "0");
    }
    CloseMain(windows);
    EXPECT_EQ(StoredValue("preview_x"), "333");
    EXPECT_EQ(StoredValue("preview_y"), "911");
  }
}

// The frame the window manager draws around the window: left, right, top and bottom.
std::array<int, 4> FrameExtents(const XDesktop& desktop, const XWindow& window) {
  const RunResult r = desktop.Tool({"xprop", "-id", window.id, "_NET_FRAME_EXTENTS"});
  std::array<int, 4> extents{-1, -1, -1, -1};
  const std::size_t equals = r.out.find('=');
  if (equals != std::string::npos) {
    std::istringstream in(r.out.substr(equals + 1));
    char comma = 0;
    in >> extents[0] >> comma >> extents[1] >> comma >> extents[2] >> comma >> extents[3];
  }
  return extents;
}

// A store with a size far beyond the screen and a place above and left of it (a damaged or
// hand-edited store): the window opens on the screen, its title bar within reach.
TEST_F(PlacementTest, AHugeSizeAndAPlaceOffTheScreenAreBroughtOntoIt) {
  Store({{"x", "-60"}, {"y", "-40"}, {"w", "100000"}, {"h", "100000"}, {"preview", "0"}});
  const auto windows = Start({kMain});
  const auto main = WindowTitled(windows, kMain);
  ASSERT_TRUE(main);
  const auto [left, right, top, bottom] = FrameExtents(desktop, *main);
  ASSERT_GT(top, 0) << "openbox draws a title bar";
  // The whole frame, title bar included, on the 1280 x 1024 screen.
  EXPECT_GE(main->top - top, 0);
  EXPECT_GE(main->left - left, 0);
  EXPECT_LE(main->left + main->width + right, 1280);
  EXPECT_LE(main->top + main->height + bottom, 1024)
      << main->left << "," << main->top << " " << main->width << "x" << main->height << " frame "
      << left << "," << right << "," << top << "," << bottom;
  EXPECT_GE(main->width, 745);
  EXPECT_GE(main->height, 549);
  CloseMain(windows);
}

// The command line as a file manager gives it: the window opens at the folder, which closing
// stores as the start folder.
TEST_F(PlacementTest, TheCommandLineOpensTheWindowAtAFolder) {
  const fs::path pictures = home / "pictures";
  fs::create_directories(pictures);
  Store({{"preview", "0"}});
  const auto windows = Start({kMain}, {pictures.string()});
  CloseMain(windows);
  EXPECT_EQ(StoredValue("Start"), pictures.string());
}

// A laptop's 1366 x 768 screen: the preview opens clear of the main window, with a title that can
// be read, and a large photo shown in it grows into the room beside the window, not over it.
class SmallScreenTest : public PlacementTest {
 protected:
  SmallScreenTest() : PlacementTest(1366, 768) {}
};

bool Overlap(const XWindow& a, const XWindow& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

TEST_F(SmallScreenTest, ThePreviewStaysClearOfTheMainWindow) {
  const fs::path pictures = home / "pictures";
  fs::create_directories(pictures);
  TJPEGImage photo;
  SetJpegRaster(photo, TestPattern(4000, 3000, 5));
  photo.Quality = 80;
  EncodeJpeg(photo);
  WriteBytes(pictures / "photo.jpg", photo.data());

  // First start, nothing selected: an empty preview, wide enough for its title.
  auto windows = Start({kMain, kPreview});
  auto main = WindowTitled(windows, kMain);
  auto preview = WindowTitled(windows, kPreview);
  ASSERT_TRUE(main && preview);
  EXPECT_FALSE(Overlap(*main, *preview));
  EXPECT_GE(preview->width, 200);
  CloseMain(windows);

  // Opened on a large photo, which the preview shows: still beside the main window.
  windows = Start({kMain, kPreview}, {(pictures / "photo.jpg").string()});
  std::this_thread::sleep_for(std::chrono::seconds(2));  // the picture is read meanwhile
  windows = desktop.WindowsOf(program->pid());
  main = WindowTitled(windows, kMain);
  preview = WindowTitled(windows, kPreview);
  ASSERT_TRUE(main && preview);
  EXPECT_GT(preview->width, 240) << "the photo is shown";
  EXPECT_FALSE(Overlap(*main, *preview))
      << "main " << main->left << "," << main->top << " " << main->width << "x" << main->height
      << "; preview " << preview->left << "," << preview->top << " " << preview->width << "x"
      << preview->height;
  EXPECT_LE(preview->left + preview->width, 1366);
  CloseMain(windows);
}

}  // namespace
}  // namespace pixtrel::test
