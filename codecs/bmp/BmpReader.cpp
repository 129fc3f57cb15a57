#include <algorithm>
#include <bit>
#include <cstring>

#include "codecs/bmp/Bmp.h"
#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

[[noreturn]] void NotValid() {
  throw Exception("Bitmap image is not valid");
}
[[noreturn]] void ReadError() {
  throw Exception("Stream read error");
}

// Bounds-checked little-endian access to the file bytes.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t size() const { return bytes_.size(); }
  void need(std::uint64_t offset, std::uint64_t count) const {
    if (offset > bytes_.size() || count > bytes_.size() - offset) ReadError();
  }
  std::uint16_t u16(std::size_t at) const {
    need(at, 2);
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  std::uint32_t u32(std::size_t at) const {
    need(at, 4);
    return static_cast<std::uint32_t>(bytes_[at]) |
           static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
  }
  const std::uint8_t* at(std::size_t offset) const { return bytes_.data() + offset; }

 private:
  std::span<const std::uint8_t> bytes_;
};

struct Header {
  std::int64_t width = 0, height = 0;  // height > 0: bottom-up
  bool topDown = false;
  int bitsPerPixel = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteOffset = 0;
  int paletteEntrySize = 4;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
};

Header ParseHeader(const Reader& in) {
  Header h;
  const std::uint32_t headerSize = in.u32(14);
  if (headerSize == 12) {
    h.width = in.u16(18);
    h.height = in.u16(20);
    if (in.u16(22) != 1) NotValid();
    h.bitsPerPixel = in.u16(24);
    h.paletteEntrySize = 3;
    h.paletteOffset = 26;
  } else if (headerSize >= 40 && headerSize <= 1024) {
    in.need(14, headerSize);
    h.width = static_cast<std::int32_t>(in.u32(18));
    h.height = static_cast<std::int32_t>(in.u32(22));
    if (in.u16(26) != 1) NotValid();
    h.bitsPerPixel = in.u16(28);
    h.compression = in.u32(30);
    h.colorsUsed = in.u32(46);
    h.paletteOffset = 14 + headerSize;
    if (h.compression == kBitFields) {
      // The masks follow a 40-byte header; longer headers hold them at the same place.
      for (int i = 0; i < 3; ++i)
        h.masks[i] = in.u32(54 + 4 * i);
      if (headerSize == 40) h.paletteOffset += 12;
    }
  } else {
    NotValid();
  }
  if (h.height < 0) {
    h.topDown = true;
    h.height = -h.height;
  }
  if (h.width < 0) NotValid();

  const int bpp = h.bitsPerPixel;
  const bool validDepth = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
  const bool validPair = (h.compression == kRgb && validDepth) ||
                         (h.compression == kRle8 && bpp == 8) ||
                         (h.compression == kRle4 && bpp == 4) ||
                         (h.compression == kBitFields && (bpp == 16 || bpp == 32));
  if (!validPair) NotValid();
  CheckPictureSize(h.width, h.height);
  return h;
}

std::vector<Rgb> ReadPalette(const Reader& in, const Header& h) {
  const std::uint32_t full = 1u << h.bitsPerPixel;
  // A count of 0 means a full table; a count beyond what the depth can index is cut to it.
  const std::uint32_t count = h.colorsUsed == 0 ? full : std::min(h.colorsUsed, full);
  in.need(h.paletteOffset, std::uint64_t{count} * h.paletteEntrySize);
  std::vector<Rgb> palette(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = in.at(h.paletteOffset + i * h.paletteEntrySize);
    palette[i] = Rgb{e[2], e[1], e[0]};
  }
  return palette;
}

// Where the pixel data starts: the file header's offset when it is plausible, otherwise right
// after the colour table (some writers leave the offset at 0).
std::size_t PixelOffset(const Reader& in, std::size_t afterTable) {
  const std::uint32_t offset = in.u32(10);
  if (offset >= afterTable && offset <= in.size()) return offset;
  if (offset > in.size()) ReadError();
  return afterTable;
}

int DestRow(const Header& h, std::int64_t fileRow) {
  return static_cast<int>(h.topDown ? fileRow : h.height - 1 - fileRow);
}

void ReadPaletteRows(const Reader& in, const Header& h, std::size_t offset, PaletteBitmap& out) {
  const std::uint64_t stride =
      ((static_cast<std::uint64_t>(h.width) * h.bitsPerPixel + 31) / 32) * 4;
  const std::uint64_t lastRow = (static_cast<std::uint64_t>(h.width) * h.bitsPerPixel + 7) / 8;
  in.need(offset, stride * (h.height - 1) + lastRow);
  const int bpp = h.bitsPerPixel;
  for (std::int64_t r = 0; r < h.height; ++r) {
    const std::uint8_t* src = in.at(offset + r * stride);
    std::uint8_t* dst = out.row(DestRow(h, r));
    if (bpp == 8) {
      std::memcpy(dst, src, static_cast<std::size_t>(h.width));
    } else if (bpp == 4) {
      for (std::int64_t x = 0; x < h.width; ++x) {
        dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
      }
    } else {
      for (std::int64_t x = 0; x < h.width; ++x)
        dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
    }
  }
}

// Run-length data. Runs and deltas that leave a row or the picture are clipped; the data ending
// early leaves the rest at index 0.
void ReadRle(const Reader& in, const Header& h, std::size_t offset, PaletteBitmap& out) {
  const bool four = h.compression == kRle4;
  std::size_t p = offset;
  const std::size_t end = in.size();
  std::int64_t x = 0, row = 0;  // row counts in file order
  auto put = [&](std::uint8_t index) {
    if (x < h.width && row < h.height) out.row(DestRow(h, row))[x] = index;
    ++x;
  };
  while (p + 1 < end && row < h.height) {
    const std::uint8_t count = in.at(p)[0];
    const std::uint8_t value = in.at(p)[1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i)
        put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (p + 1 >= end) break;
      x += in.at(p)[0];
      row += in.at(p)[1];
      p += 2;
    } else {  // absolute run of `value` pixels, padded to a whole word
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      if (p + bytes > end) break;
      for (int i = 0; i < value; ++i) {
        const std::uint8_t b = in.at(p)[four ? i / 2 : i];
        put(four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
      }
      p += (bytes + 1) & ~std::size_t{1};
    }
  }
}

struct MaskChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;  // mask >> shift
  std::uint8_t scale(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

MaskChannel MakeChannel(std::uint32_t mask) {
  MaskChannel c;
  c.mask = mask;
  if (mask != 0) {
    c.shift = std::countr_zero(mask);
    c.max = mask >> c.shift;
  }
  return c;
}

void ReadDeepRows(const Reader& in, const Header& h, std::size_t offset, Bitmap24& out) {
  const int bytesPerPixel = h.bitsPerPixel / 8;
  const std::uint64_t stride =
      ((static_cast<std::uint64_t>(h.width) * h.bitsPerPixel + 31) / 32) * 4;
  in.need(offset, stride * (h.height - 1) + static_cast<std::uint64_t>(h.width) * bytesPerPixel);
  std::uint32_t masks[3] = {h.masks[0], h.masks[1], h.masks[2]};
  if (h.compression != kBitFields) {
    if (h.bitsPerPixel == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
      masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
  }
  const MaskChannel red = MakeChannel(masks[0]), green = MakeChannel(masks[1]),
                    blue = MakeChannel(masks[2]);
  for (std::int64_t r = 0; r < h.height; ++r) {
    const std::uint8_t* src = in.at(offset + r * stride);
    std::uint8_t* dst = out.row(DestRow(h, r));
    if (h.bitsPerPixel == 24) {
      std::memcpy(dst, src, static_cast<std::size_t>(h.width) * 3);
      continue;
    }
    for (std::int64_t x = 0; x < h.width; ++x, dst += 3) {
      std::uint32_t pixel;
      if (bytesPerPixel == 2) {
        pixel = src[2 * x] | src[2 * x + 1] << 8;
      } else {
        const std::uint8_t* s = src + 4 * x;
        pixel = s[0] | s[1] << 8 | s[2] << 16 | static_cast<std::uint32_t>(s[3]) << 24;
      }
      dst[0] = blue.scale(pixel);
      dst[1] = green.scale(pixel);
      dst[2] = red.scale(pixel);
    }
  }
}

}  // namespace

Raster DecodeBmp(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return Bitmap24();
  const Reader in(bytes);
  in.need(0, 2);
  if (bytes[0] != 'B' || bytes[1] != 'M') NotValid();
  in.need(0, 18);
  const Header h = ParseHeader(in);
  if (h.width == 0 || h.height == 0) return Bitmap24();

  if (h.bitsPerPixel <= 8) {
    std::vector<Rgb> palette = ReadPalette(in, h);
    const std::size_t offset =
        PixelOffset(in, h.paletteOffset + palette.size() * h.paletteEntrySize);
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    if (rle) {
      // Runs can describe a large picture in few bytes, but not an unlimited one.
      CheckPixelsForData(h.width, h.height, static_cast<std::int64_t>(in.size() - offset));
    } else {
      const std::uint64_t stride =
          ((static_cast<std::uint64_t>(h.width) * h.bitsPerPixel + 31) / 32) * 4;
      in.need(offset, stride * (h.height - 1) +
                          (static_cast<std::uint64_t>(h.width) * h.bitsPerPixel + 7) / 8);
    }
    PaletteBitmap out(static_cast<int>(h.width), static_cast<int>(h.height), h.bitsPerPixel,
                      std::move(palette));
    if (rle) {
      ReadRle(in, h, offset, out);
    } else {
      ReadPaletteRows(in, h, offset, out);
    }
    return out;
  }

  const std::size_t offset = PixelOffset(in, h.paletteOffset);
  const std::uint64_t stride =
      ((static_cast<std::uint64_t>(h.width) * h.bitsPerPixel + 31) / 32) * 4;
  in.need(offset,
          stride * (h.height - 1) + static_cast<std::uint64_t>(h.width) * (h.bitsPerPixel / 8));
  Bitmap24 out = Bitmap24::Uninitialised(static_cast<int>(h.width), static_cast<int>(h.height));
  ReadDeepRows(in, h, offset, out);
  return out;
}

Raster ReadBmpFile(const FilePath& path) {
  return DecodeBmp(ReadFileBytes(path));
}

}  // namespace pixtrel
