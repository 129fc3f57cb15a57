// Fuzz target: the HEIF reader, upright and as stored, and the header probe.
#include <cstddef>
#include <cstdint>

#include "codecs/heif/HeifFile.h"
#include "core/Errors.h"
#include "imaging/CompositeOnWhite.h"

// Debian 12's libheif does not release the buffer it hands dav1d when dav1d refuses it (an AV1
// item with no data): a few dozen bytes inside libdav1d per such file, no fault of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdav1d.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto probed = pixtrel::ProbeHeif({data, size});
  // Large pictures are legal but slow to decode; the reader's limits are tested elsewhere.
  if (probed && static_cast<long long>(probed->width) * probed->height > (1 << 22)) return 0;
  for (const bool upright : {true, false}) {
    try {
      (void)pixtrel::CompositeOnWhite(pixtrel::ReadHeifBytes({data, size}, upright));
    } catch (const pixtrel::Exception&) {
    }
  }
  return 0;
}
