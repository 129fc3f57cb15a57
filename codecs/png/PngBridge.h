#pragma once
// The only place that calls libpng. Each entry point is one plain function guarded by setjmp: no
// C++ object lives across the libpng calls and nothing is thrown through them. They return 0 on
// success, otherwise nonzero with the library's text in message.
#include <cstddef>
#include <cstdint>

namespace pixtrel::pngbridge {

// A block of bytes malloc'd by the bridge; release with FreeBlock.
struct Block {
  std::uint8_t* data = nullptr;
  std::size_t size = 0;
};
void FreeBlock(Block* block);

// Rgb16, Rgba16: 16 bits per sample in the machine's byte order, red first (asked by keep16).
enum class Layout { Indices, Bgr, Bgra, Rgb16, Rgba16 };

struct ReadJob {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  bool keep16 = false;  // a 16-bit file decodes to Rgb16 or Rgba16 instead of 8 bits
  // Filled by ReadHeader.
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colourType = 0;
  bool interlaced = false;
  // Palette files without transparency decode to one index byte per pixel; everything else to
  // 8-bit BGR, or BGRA when the file has an alpha channel or a tRNS chunk (Rgb16 and Rgba16
  // likewise for 16-bit files when keep16 is set).
  Layout layout = Layout::Bgr;
  std::uint8_t palette[256][3] = {};  // r, g, b
  int paletteSize = 0;
  // Filled by Decode: rows[y] receives row y (width bytes per sample of the layout).
  std::uint8_t** rows = nullptr;
  // Instead of rows, for a file that is not interlaced: each row is handed to onRow as soon as
  // it is decoded, so the whole picture is never held in the decoder's layout. onRow must not
  // throw.
  void (*onRow)(void* context, std::uint32_t y, const std::uint8_t* row) = nullptr;
  void* rowContext = nullptr;
  Block exif, icc;
  char message[256] = {};
};
int ReadHeader(ReadJob* job);
int Decode(ReadJob* job);

struct WriteJob {
  int width = 0;
  int height = 0;
  Layout layout = Layout::Bgr;
  const std::uint8_t* pixels = nullptr;  // BGR rows or index rows, stride bytes apart
  std::size_t stride = 0;
  const std::uint8_t* alpha = nullptr;  // Bgra: width bytes per row, no padding
  const std::uint8_t (*palette)[3] = nullptr;
  int paletteSize = 0;
  int zlibLevel = 6;
  Block exif, icc, xmp;     // borrowed, not freed
  bool iccRefused = false;  // libpng found the profile unfit and left it out
  Block output;             // malloc'd by the bridge
  char message[256] = {};
};
int Encode(WriteJob* job);

}  // namespace pixtrel::pngbridge
