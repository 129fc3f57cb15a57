#pragma once
// Some codec libraries print their own diagnostics on the standard error stream (libheif's AV1
// decoder: "Unknown OBU type ..."), with no way to turn them off. Our messages say what went
// wrong in one line; the library's text would break that line. While a QuietStderr lives, the
// process's standard error goes to the null device; nested and concurrent ones share one
// redirection, undone when the last ends. (Windows: no effect.)
namespace pixtrel {

class QuietStderr {
 public:
  QuietStderr();
  ~QuietStderr();
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;
};

}  // namespace pixtrel
