#include "codecs/gif/GifReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "codecs/gif/GifLzwDecoder.h"
#include "core/Errors.h"
#include "core/Limits.h"
#include "io/FileBytes.h"

namespace pixtrel {
namespace {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool atEnd() const { return pos_ >= bytes_.size(); }
  bool has(std::size_t n) const { return left() >= n; }
  std::size_t left() const { return bytes_.size() - pos_; }
  std::size_t pos() const { return pos_; }
  void seek(std::size_t pos) { pos_ = std::min(pos, bytes_.size()); }

  // Callers check has() first.
  std::uint8_t u8() { return bytes_[pos_++]; }
  std::uint16_t u16() {
    const std::uint16_t v = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::span<const std::uint8_t> take(std::size_t n) {
    const auto s = bytes_.subspan(pos_, n);
    pos_ += n;
    return s;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

[[noreturn]] void PrematureEnd() {
  throw EGIFError("Premature end of data");
}

bool IsSignature(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (bytes.size() < at + 3) return false;
  return std::toupper(bytes[at]) == 'G' && std::toupper(bytes[at + 1]) == 'I' &&
         std::toupper(bytes[at + 2]) == 'F';
}

TGIFColorMap ReadColorMap(ByteReader& in, int sizeField, bool sorted) {
  const std::size_t count = std::size_t{1} << (sizeField + 1);
  if (!in.has(count * 3)) PrematureEnd();
  TGIFColorMap map;
  map.sorted = sorted;
  map.colors.resize(count);
  for (Rgb& c : map.colors) {
    c.r = in.u8();
    c.g = in.u8();
    c.b = in.u8();
  }
  return map;
}

// Appends the data of the sub-blocks up to their terminator. False when the data ends first;
// what there was of the last block is kept.
bool ReadSubBlocks(ByteReader& in, std::vector<std::uint8_t>* data) {
  for (;;) {
    if (in.atEnd()) return false;
    const std::size_t n = in.u8();
    if (n == 0) return true;
    const bool whole = in.has(n);
    const auto block = in.take(whole ? n : in.left());
    if (data) data->insert(data->end(), block.begin(), block.end());
    if (!whole) return false;
  }
}

// The first block of an extension: its size byte and that many bytes. False when cut off.
bool ReadFirstBlock(ByteReader& in, std::vector<std::uint8_t>& block) {
  if (in.atEnd()) return false;
  const std::size_t n = in.u8();
  if (!in.has(n)) return false;
  const auto bytes = in.take(n);
  block.assign(bytes.begin(), bytes.end());
  return true;
}

TGIFAppExtNSLoop LoopFrom(const std::string& identifier, const std::vector<std::uint8_t>& data) {
  TGIFAppExtNSLoop loop;
  loop.identifier = identifier;
  // The loop sub-block: id 1 and a 16-bit count.
  if (data.size() >= 3 && data[0] == 1)
    loop.loops = static_cast<std::uint16_t>(data[1] | (data[2] << 8));
  return loop;
}

// Reads one extension after its introducer. False when the data ends inside it (a warning:
// reading stops there).
bool ReadExtension(ByteReader& in, std::vector<TGIFExtension>& pending) {
  if (in.atEnd()) return false;
  const std::uint8_t label = in.u8();
  std::vector<std::uint8_t> block;
  switch (label) {
    case 0xF9: {
      TGIFGraphicControlExtension g;
      if (!ReadFirstBlock(in, block)) return false;
      if (block.size() >= 1) g.packedFields = block[0];
      if (block.size() >= 3) g.delay = static_cast<std::uint16_t>(block[1] | (block[2] << 8));
      if (block.size() >= 4) {
        g.transparentIndex = block[3];
      } else {
        g.packedFields &= ~1u;  // cut short: no transparent index to honour
      }
      pending.push_back(g);
      return ReadSubBlocks(in, nullptr);
    }
    case 0x01: {
      TGIFTextExtension t;
      if (!ReadFirstBlock(in, t.header)) return false;
      const bool complete = ReadSubBlocks(in, &t.text);
      pending.push_back(std::move(t));
      return complete;
    }
    case 0xFE: {
      std::vector<std::uint8_t> text;
      const bool complete = ReadSubBlocks(in, &text);
      pending.push_back(TGIFCommentExtension{std::string(text.begin(), text.end())});
      return complete;
    }
    case 0xFF: {
      if (!ReadFirstBlock(in, block)) return false;
      std::vector<std::uint8_t> data;
      const bool complete = ReadSubBlocks(in, &data);
      const std::string identifier(block.begin(), block.end());
      if (identifier == "NETSCAPE2.0" || identifier == "ANIMEXTS1.0") {
        pending.push_back(LoopFrom(identifier, data));
      } else {
        pending.push_back(TGIFAppExtension{identifier, std::move(data)});
      }
      return complete;
    }
    default:
      throw EGIFError("Unknown extension type");
  }
}

// Display row of the i-th row stored in an interlaced frame.
std::vector<int> InterlacedRows(int height) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(height));
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass])
      rows.push_back(y);
  }
  return rows;
}

// Decodes the frame's pixel data. False when the data ends inside it.
bool ReadPixels(ByteReader& in, TGIFSubImage& frame) {
  const std::size_t count = static_cast<std::size_t>(frame.width) * frame.height;
  const int fill = frame.transparent() ? frame.transparentIndex() : 0;
  frame.pixels.assign(count, static_cast<std::uint8_t>(fill));
  if (in.atEnd()) return false;
  const int minCodeSize = in.u8();
  std::vector<std::uint8_t> codes;
  const bool complete = ReadSubBlocks(in, &codes);
  if (count == 0) return complete;  // a frame without pixels (on a screen of size 0)
  if (!frame.interlaced()) {
    DecodeGifLzw(codes, minCodeSize, frame.pixels.data(), count);
    return complete;
  }
  std::vector<std::uint8_t> stored(count, static_cast<std::uint8_t>(fill));
  DecodeGifLzw(codes, minCodeSize, stored.data(), count);
  const std::vector<int> rows = InterlacedRows(frame.height);
  const std::size_t width = static_cast<std::size_t>(frame.width);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::memcpy(frame.pixels.data() + static_cast<std::size_t>(rows[i]) * width,
                stored.data() + i * width, width);
  }
  return complete;
}

}  // namespace

TGIFImage DecodeGif(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  if (!IsSignature(bytes, 0)) {
    // Some files carry a 4-byte length before the signature.
    if (!IsSignature(bytes, 4)) {
      if (bytes.size() < 3) PrematureEnd();
      throw EGIFError("Invalid GIF signature");
    }
    in.seek(4);
  }
  if (!in.has(6 + 7)) PrematureEnd();
  in.take(6);  // signature and version; the version is not checked

  TGIFImage picture;
  TGIFHeader& h = picture.header;
  h.width = in.u16();
  h.height = in.u16();
  h.packedFields = in.u8();
  h.backgroundColorIndex = in.u8();
  h.aspectRatio = in.u8();
  CheckPictureSize(h.width, h.height);
  CheckPixelsForData(h.width, h.height, static_cast<std::int64_t>(bytes.size()));
  if (h.packedFields & 0x80) {
    h.colorMap = ReadColorMap(in, h.packedFields & 7, (h.packedFields & 0x08) != 0);
  }

  std::vector<TGIFExtension> pending;
  std::int64_t framePixels = 0;
  while (!in.atEnd()) {  // a missing trailer is lived with
    const std::uint8_t block = in.u8();
    if (block == 0) continue;
    if (block == 0x3B) break;
    if (block == '!') {
      if (!ReadExtension(in, pending)) break;
      continue;
    }
    if (block != ',') break;  // an unknown block ends the frames

    if (!in.has(9)) PrematureEnd();
    TGIFSubImage frame;
    frame.left = in.u16();
    frame.top = in.u16();
    frame.width = in.u16();
    frame.height = in.u16();
    frame.packedFields = in.u8();
    if (frame.width == 0 || frame.height == 0) {
      frame.width = h.width;
      frame.height = h.height;
    }
    CheckPictureSize(frame.width, frame.height);
    CheckPixelsForData(frame.width, frame.height, static_cast<std::int64_t>(bytes.size()));
    const std::int64_t area = std::int64_t{frame.width} * frame.height;
    if (!picture.images.empty() &&
        (picture.images.size() >= kMaxGifFrames || framePixels + area > kMaxGifFramePixels)) {
      picture.framesLeftOut = true;
      break;
    }
    framePixels += area;
    if (frame.packedFields & 0x80) {
      frame.colorMap = ReadColorMap(in, frame.packedFields & 7, (frame.packedFields & 0x20) != 0);
    }
    frame.extensions = std::move(pending);
    pending.clear();
    const bool complete = ReadPixels(in, frame);
    picture.images.push_back(std::move(frame));
    if (!complete) break;
  }
  return picture;
}

TGIFImage ReadGifFile(const FilePath& path) {
  const Bytes bytes = ReadFileBytes(path);
  return DecodeGif(bytes);
}

}  // namespace pixtrel
