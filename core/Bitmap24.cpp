#include "core/Bitmap24.h"

#include <cstdint>
#include <cstring>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "core/Limits.h"

namespace pixtrel {
namespace {

// Asks the kernel to back a large raster with 2 MiB pages where it can: a quarter turn reads or
// writes a few pixels on every row, and with 4 KiB pages nearly every row is another page to look
// up; 2 MiB pages also take one page fault where 4 KiB pages take 512. Only the whole large pages
// inside the block are marked; the bytes are the same either way.
void AskForLargePages(std::uint8_t* pixels, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  if (bytes < 2 * kLargePage) return;
  const auto start = reinterpret_cast<std::uintptr_t>(pixels);
  const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t end = (start + bytes) & ~(kLargePage - 1);
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)pixels;
  (void)bytes;
#endif
}

}  // namespace

Bitmap24::Bitmap24(int width, int height, NoFill) {
  CheckPictureSize(width, height);
  width_ = width;
  height_ = height;
  stride_ = StrideFor(width);
  if (byteSize() > 0) pixels_.reset(new std::uint8_t[byteSize()]);
  AskForLargePages(pixels_.get(), byteSize());
}

Bitmap24::Bitmap24(int width, int height, std::uint8_t fill) : Bitmap24(width, height, NoFill{}) {
  if (pixels_) std::memset(pixels_.get(), fill, byteSize());
}

Bitmap24 Bitmap24::Uninitialised(int width, int height) {
  return Bitmap24(width, height, NoFill{});
}

Bitmap24::Bitmap24(const Bitmap24& other) : Bitmap24(other.width_, other.height_, NoFill{}) {
  if (pixels_) std::memcpy(pixels_.get(), other.pixels_.get(), byteSize());
}

Bitmap24& Bitmap24::operator=(const Bitmap24& other) {
  if (this != &other) *this = Bitmap24(other);
  return *this;
}

bool SamePixels(const Bitmap24& a, const Bitmap24& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(a.width()) * 3;
  for (int y = 0; y < a.height(); ++y) {
    if (rowBytes && std::memcmp(a.row(y), b.row(y), rowBytes) != 0) return false;
  }
  return true;
}

}  // namespace pixtrel
