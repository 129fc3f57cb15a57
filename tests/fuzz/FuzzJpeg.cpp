// Fuzz target: the JPEG reader and decoder, in colour and with greyscale output, and the display
// decoding at a scale.
#include <cstddef>
#include <cstdint>

#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegPreview.h"
#include "core/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (bool grey : {false, true}) {
    try {
      pixtrel::TJPEGImage picture = pixtrel::JpegFromBytes(pixtrel::Bytes(data, data + size));
      if (!grey) {
        // Shown at a third of its size: decoded at three eighths (tiny pictures at less).
        pixtrel::DecodeJpegForDisplay(picture, picture.width() / 3, picture.height() / 3);
      }
      picture.SetGreyscale(grey);
      pixtrel::DecodeJpeg(picture);
    } catch (const pixtrel::Exception&) {
    }
  }
  return 0;
}
