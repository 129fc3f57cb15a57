#include <algorithm>
#include <cstring>

#include "codecs/bmp/Bmp.h"
#include "io/SafeWrite.h"

namespace pixtrel {
namespace {

void Put16(Bytes& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// File header and 40-byte info header, no compression, rows bottom to top.
Bytes Headers(int width, int height, int bitsPerPixel, std::uint32_t tableEntries,
              std::size_t imageBytes) {
  const std::uint32_t offset = 14 + 40 + tableEntries * 4;
  Bytes out(offset + imageBytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(out.size()));
  Put32(out, 10, offset);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<std::uint32_t>(width));
  Put32(out, 22, static_cast<std::uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, static_cast<std::uint32_t>(bitsPerPixel));
  Put32(out, 34, static_cast<std::uint32_t>(imageBytes));
  Put32(out, 46, tableEntries);
  return out;
}

Bytes Encode24(const Bitmap24& b) {
  const std::size_t stride = Bitmap24::StrideFor(b.width());
  Bytes out = Headers(b.width(), b.height(), 24, 0, stride * b.height());
  std::uint8_t* pixels = out.data() + 54;
  const std::size_t rowBytes = static_cast<std::size_t>(b.width()) * 3;
  if (b.empty()) return out;  // a raster of no pixels may have rows of none
  for (int y = 0; y < b.height(); ++y) {
    std::memcpy(pixels + static_cast<std::size_t>(b.height() - 1 - y) * stride, b.row(y), rowBytes);
  }
  return out;
}

Bytes Encode8(const PaletteBitmap& p) {
  const std::uint32_t entries = std::clamp<std::uint32_t>(
      std::max<std::uint32_t>(1u << p.bitsPerPixel(),
                              static_cast<std::uint32_t>(p.palette().size())),
      1, 256);
  const std::size_t stride = (static_cast<std::size_t>(p.width()) + 3) & ~std::size_t{3};
  Bytes out = Headers(p.width(), p.height(), 8, entries, stride * p.height());
  for (std::size_t i = 0; i < p.palette().size() && i < entries; ++i) {
    std::uint8_t* e = out.data() + 54 + i * 4;
    e[0] = p.palette()[i].b;
    e[1] = p.palette()[i].g;
    e[2] = p.palette()[i].r;
  }
  std::uint8_t* pixels = out.data() + 54 + entries * 4;
  if (p.empty()) return out;
  for (int y = 0; y < p.height(); ++y) {
    std::memcpy(pixels + static_cast<std::size_t>(p.height() - 1 - y) * stride, p.row(y),
                static_cast<std::size_t>(p.width()));
  }
  return out;
}

}  // namespace

Bytes EncodeBmp(const Raster& raster) {
  if (const auto* b = std::get_if<Bitmap24>(&raster)) return Encode24(*b);
  return Encode8(std::get<PaletteBitmap>(raster));
}

void WriteBmpFile(const Raster& raster, const FilePath& path, OutputSink& sink) {
  const Bytes bytes = EncodeBmp(raster);
  sink.put(path, bytes);
}

}  // namespace pixtrel
