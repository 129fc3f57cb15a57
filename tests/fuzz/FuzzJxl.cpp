// Fuzz target: the JPEG XL reader, as stored and turned upright, and the header probe.
#include <cstddef>
#include <cstdint>

#include "codecs/jxl/JxlFile.h"
#include "formats/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto probed = pixtrel::ProbeJxl({data, size});
  // Large pictures are legal but slow to decode; the reader's limits are tested elsewhere.
  if (probed && static_cast<long long>(probed->width) * probed->height > (1 << 22)) return 0;
  for (const bool keepOrientation : {true, false}) {
    try {
      (void)pixtrel::CompositeOnWhite(pixtrel::ReadJxlBytes({data, size}, keepOrientation).picture);
    } catch (const pixtrel::Exception&) {
    }
  }
  return 0;
}
