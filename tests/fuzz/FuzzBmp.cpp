// Fuzz target: the BMP reader. Any input either decodes or raises the picture layer's error.
#include <cstddef>
#include <cstdint>

#include "codecs/bmp/Bmp.h"
#include "core/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const pixtrel::Raster raster = pixtrel::DecodeBmp({data, size});
    (void)pixtrel::ToBitmap24(raster);
  } catch (const pixtrel::Exception&) {
  }
  return 0;
}
