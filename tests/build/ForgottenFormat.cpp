// Must not compile: a switch over the formats that forgets one. The build tests compile it with
// each target's options and expect the compiler to refuse it.
#include "codecs/ImageFormat.h"

int ForgottenFormat(pixtrel::ImageFormat format) {
  switch (format) {
    case pixtrel::ImageFormat::Bmp:
    case pixtrel::ImageFormat::Jpeg:
    case pixtrel::ImageFormat::Gif:
    case pixtrel::ImageFormat::Png:
    case pixtrel::ImageFormat::Webp:
      return 1;
  }
  return 0;
}
