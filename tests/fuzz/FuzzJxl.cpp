// Fuzz target: the JPEG XL reader, as stored and turned upright, and the header probe: whenever
// the probe names a size, a picture read as stored has it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codecs/jxl/JxlFile.h"
#include "core/Errors.h"
#include "imaging/CompositeOnWhite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto probed = pixtrel::ProbeJxl({data, size});
  // Large pictures are legal but slow to decode; the reader's limits are tested elsewhere.
  if (probed && static_cast<long long>(probed->width) * probed->height > (1 << 22)) return 0;
  for (const bool keepOrientation : {true, false}) {
    try {
      const pixtrel::JxlPicture read = pixtrel::ReadJxlBytes({data, size}, keepOrientation);
      (void)pixtrel::CompositeOnWhite(read.picture);
      if (keepOrientation && probed &&
          (probed->width != pixtrel::RasterWidth(read.picture.raster) ||
           probed->height != pixtrel::RasterHeight(read.picture.raster))) {
        std::abort();
      }
    } catch (const pixtrel::Exception&) {
    }
  }
  return 0;
}
