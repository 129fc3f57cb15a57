#include "codecs/jpeg/JpegStatusError.h"

#include <string>

#include "core/Errors.h"

namespace pixtrel {

void ThrowJpegError(const jpegbridge::Status& status) {
  if (const char* own = jpegbridge::OwnMessage(status.code)) throw EJPEG(own);
  if (status.code == jpegbridge::kCorruptData) {
    throw EJPEG(std::string("JPEG file is damaged: ") + status.text);
  }
  // The message code is the one users and reports quote; the codec's text says what it means.
  std::string message = "JPEG error #" + std::to_string(status.code);
  if (status.text[0] != '\0') message += std::string(": ") + status.text;
  throw EJPEG(message);
}

}  // namespace pixtrel
