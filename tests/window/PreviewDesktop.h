#pragma once
// A private X desktop for window tests that need a real window manager: Xvfb on a free display
// with a 1280 x 800 screen and openbox managing it, both started here and ended with this object.
#include <string>

#include <sys/types.h>

namespace pixtrel::test {

class PreviewDesktop {
 public:
  PreviewDesktop() = default;
  ~PreviewDesktop();
  PreviewDesktop(const PreviewDesktop&) = delete;
  PreviewDesktop& operator=(const PreviewDesktop&) = delete;

  // Starts Xvfb, then openbox, and waits until openbox manages the screen. False with the
  // reason in error() when either cannot be had; xvfbMissing() tells which.
  bool Start();
  bool xvfbMissing() const { return xvfbMissing_; }
  const std::string& error() const { return error_; }
  // ":N", for DISPLAY.
  const std::string& display() const { return display_; }

 private:
  pid_t xvfb_ = -1;
  pid_t openbox_ = -1;
  bool xvfbMissing_ = false;
  std::string display_;
  std::string error_;
};

}  // namespace pixtrel::test
