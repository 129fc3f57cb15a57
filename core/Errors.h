#pragma once
// Error classes of the picture layer. Every failure is an exception whose message is the text
// shown to the user (a message box in the window, stderr in pixtrel-batch).
#include <stdexcept>
#include <string>

namespace pixtrel {

// The general error class.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raster errors (format or geometry of a bitmap).
class EBitmapError : public Exception {
 public:
  using Exception::Exception;
};

// Errors reported by the JPEG codec: "JPEG error #N: the codec's text", or what is wrong with
// a damaged file.
class EJPEG : public Exception {
 public:
  using Exception::Exception;
};

// Errors of the GIF codec.
class EGIFError : public Exception {
 public:
  using Exception::Exception;
};

// A text that is not a valid integer.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace pixtrel
