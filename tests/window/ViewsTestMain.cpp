// The tests of the preview and viewer windows, the recent and special folders and the links run
// on an offscreen desktop of two screens of known size, side by side: 1280 x 1024 (primary) and
// 1024 x 768 to its right.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
  const std::filesystem::path screens = std::filesystem::temp_directory_path() /
                                        ("pixtrel-screens-" + std::to_string(getpid()) + ".json");
  {
    std::ofstream out(screens);
    out << R"({"screens": [)"
        << R"({"name": "A", "x": 0, "y": 0, "width": 1280, "height": 1024,)"
        << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},)"
        << R"({"name": "B", "x": 1280, "y": 0, "width": 1024, "height": 768,)"
        << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
  }
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screens.c_str());
  QApplication application(argc, argv);
  std::filesystem::remove(screens);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
