// Fuzz target: the PNG reader and the header probe, which must agree on the size of any file the
// reader takes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codecs/png/PngFile.h"
#include "core/Errors.h"
#include "imaging/CompositeOnWhite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto probed = pixtrel::ProbePng({data, size});
  // Large pictures are legal but slow to fill; the reader's limits are tested elsewhere.
  if (probed && static_cast<long long>(probed->width) * probed->height > (1 << 22)) return 0;
  try {
    const pixtrel::DecodedPicture picture = pixtrel::ReadPngBytes({data, size});
    (void)pixtrel::CompositeOnWhite(picture);
    if (!probed || probed->width != pixtrel::RasterWidth(picture.raster) ||
        probed->height != pixtrel::RasterHeight(picture.raster)) {
      std::abort();
    }
  } catch (const pixtrel::Exception&) {
  }
  return 0;
}
