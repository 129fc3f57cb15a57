// The desktop tests: the parent starts Xvfb and openbox and runs this program again as the
// child, which alone opens windows (on the xcb platform) and alone runs PreviewDesktopChild.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::unique_ptr<QApplication> application;
  if (!qEnvironmentVariableIsEmpty("PIXTREL_DESKTOP_CHILD")) {
    application = std::make_unique<QApplication>(argc, argv);
  } else {
    // Without the desktop the child's tests are not listed or run.
    std::string filter = ::testing::GTEST_FLAG(filter);
    filter += filter.find('-') == std::string::npos ? "-" : ":";
    ::testing::GTEST_FLAG(filter) = filter + "PreviewDesktopChild.*";
  }
  return RUN_ALL_TESTS();
}
