#pragma once
// A GIF picture: the logical screen with its global colour table, and the frames in file order,
// each with its own extensions, optional local colour table and pixel indices.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/PaletteBitmap.h"

namespace pixtrel {

// Up to 256 colours. A table read from a file holds 2^(size field + 1) entries.
struct TGIFColorMap {
  std::vector<Rgb> colors;
  bool sorted = false;

  int count() const { return static_cast<int>(colors.size()); }
  bool empty() const { return colors.empty(); }
  // 0 for an empty table, else the smallest b >= 1 with 2^b >= count.
  int BitsPerPixel() const;
};

struct TGIFHeader {
  int width = 0;  // logical screen, 16 bits each in the file
  int height = 0;
  std::uint8_t packedFields = 0;
  std::uint8_t backgroundColorIndex = 0;
  std::uint8_t aspectRatio = 0;
  TGIFColorMap colorMap;  // the global table
};

struct TGIFGraphicControlExtension {
  std::uint8_t packedFields = 0;  // disposal, user input, bit 0: transparency
  std::uint16_t delay = 0;        // hundredths of a second
  std::uint8_t transparentIndex = 0;

  bool transparent() const { return (packedFields & 1) != 0; }
};

// "NETSCAPE2.0" or "ANIMEXTS1.0": how often an animation repeats (0: for ever).
struct TGIFAppExtNSLoop {
  std::string identifier = "NETSCAPE2.0";
  std::uint16_t loops = 0;
};

// Any other application extension, kept as its identifier and the bytes of its sub-blocks.
struct TGIFAppExtension {
  std::string identifier;  // 11 bytes: name and authentication code
  std::vector<std::uint8_t> data;
};

struct TGIFCommentExtension {
  std::string text;
};

struct TGIFTextExtension {
  std::vector<std::uint8_t> header;  // the 12-byte block: grid, cell size, colours
  std::vector<std::uint8_t> text;
};

using TGIFExtension = std::variant<TGIFGraphicControlExtension, TGIFAppExtNSLoop, TGIFAppExtension,
                                   TGIFCommentExtension, TGIFTextExtension>;

struct TGIFSubImage {
  int left = 0;  // within the logical screen; 16 bits each in the file
  int top = 0;
  int width = 0;
  int height = 0;
  std::uint8_t packedFields = 0;  // bit 7 local table, bit 6 interlaced, bit 5 sorted
  TGIFColorMap colorMap;          // the local table
  std::vector<TGIFExtension> extensions;
  std::vector<std::uint8_t> pixels;  // width x height indices, rows top to bottom, display order

  bool empty() const { return width == 0 || height == 0; }
  bool interlaced() const { return (packedFields & 0x40) != 0; }
  // The last graphic control extension before the frame, or null.
  const TGIFGraphicControlExtension* graphicControl() const;
  bool transparent() const;
  int transparentIndex() const;  // -1 when the frame is not transparent
};

class TGIFImage {
 public:
  TGIFHeader header;
  std::vector<TGIFSubImage> images;
  // The reader stopped at the frame limits (kMaxGifFrames, kMaxGifFramePixels) with frames left.
  bool framesLeftOut = false;

  int width() const { return header.width; }
  int height() const { return header.height; }
  bool empty() const { return images.empty(); }

  // The frame's local table when it has entries, else the global one.
  const TGIFColorMap& ActiveColorMap(const TGIFSubImage& frame) const;
};

// The frame as indices with its active colour table in order (no transparency applied).
// Fails with "No global or local color table defined" when neither table has entries.
PaletteBitmap FramePaletteBitmap(const TGIFImage& picture, const TGIFSubImage& frame);

}  // namespace pixtrel
