#pragma once
// Some codec libraries print their own diagnostics on the standard error stream (libheif's AV1
// decoder: "Unknown OBU type ..."), with no way to turn them off. Our messages say what went
// wrong in one line; the library's text would break that line. While a QuietStderr lives, the
// process's standard error goes to the null device; nested and concurrent ones share one
// redirection, undone when the last ends. (Windows: no effect.)
#include <string_view>

namespace pixtrel {

class QuietStderr {
 public:
  QuietStderr();
  ~QuietStderr();
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;
};

// Writes our own text to the real standard error, also while another thread holds a
// QuietStderr: a batch's messages about failed files must not go to the null device with the
// library's.
void WriteStderr(std::string_view text);

}  // namespace pixtrel
