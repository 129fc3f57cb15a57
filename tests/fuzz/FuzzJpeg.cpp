// Fuzz target: the JPEG reader and decoder, in colour and with greyscale output.
#include <cstddef>
#include <cstdint>

#include "formats/Errors.h"
#include "formats/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (bool grey : {false, true}) {
    try {
      pixtrel::TJPEGImage picture = pixtrel::JpegFromBytes(pixtrel::Bytes(data, data + size));
      picture.SetGreyscale(grey);
      pixtrel::DecodeJpeg(picture);
    } catch (const pixtrel::Exception&) {
    }
  }
  return 0;
}
