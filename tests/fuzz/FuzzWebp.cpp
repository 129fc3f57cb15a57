// Fuzz target: the WebP reader (stills and animations) and the header probe: whenever the probe
// names a size, a picture the reader takes has it. (The reader also takes a bare VP8/VP8L
// bitstream, as libwebp does; the probe, looking for files, does not.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codecs/webp/WebpFile.h"
#include "core/Errors.h"
#include "imaging/CompositeOnWhite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto probed = pixtrel::ProbeWebp({data, size});
  // Large pictures are legal but slow to fill; the reader's limits are tested elsewhere.
  if (probed && static_cast<long long>(probed->width) * probed->height > (1 << 22)) return 0;
  try {
    const pixtrel::DecodedPicture picture = pixtrel::ReadWebpBytes({data, size});
    (void)pixtrel::CompositeOnWhite(picture);
    if (probed && (probed->width != pixtrel::RasterWidth(picture.raster) ||
                   probed->height != pixtrel::RasterHeight(picture.raster))) {
      std::abort();
    }
  } catch (const pixtrel::Exception&) {
  }
  return 0;
}
