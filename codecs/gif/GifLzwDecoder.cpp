#include "codecs/gif/GifLzwDecoder.h"

#include <cstring>

#include "core/Errors.h"

namespace pixtrel {
namespace {

constexpr int kMaxCodes = 4096;

// Codes are packed least significant bit first.
class CodeReader {
 public:
  explicit CodeReader(std::span<const std::uint8_t> data)
      : next_(data.data()), end_(data.data() + data.size()) {}

  // False when the data holds fewer than width more bits.
  bool read(int width, int& code) {
    if (count_ < width) {
      while (count_ <= 56 && next_ != end_) {
        bits_ |= static_cast<std::uint64_t>(*next_++) << count_;
        count_ += 8;
      }
      if (count_ < width) return false;
    }
    code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    count_ -= width;
    return true;
  }

 private:
  const std::uint8_t* next_;
  const std::uint8_t* end_;
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

}  // namespace

std::size_t DecodeGifLzw(std::span<const std::uint8_t> codes, int minCodeSize, std::uint8_t* out,
                         std::size_t outSize) {
  if (minCodeSize < 2 || minCodeSize > 8) throw EGIFError("Invalid LZW code size");
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  const int firstFree = clear + 2;

  // Every string decoded so far lies in out, so a table entry is just where its first
  // occurrence starts and how long it is; decoding a code copies that earlier run.
  std::size_t start[kMaxCodes];
  std::uint16_t length[kMaxCodes];

  CodeReader reader(codes);
  int width = minCodeSize + 1;
  int free = firstFree;
  bool havePrevious = false;
  std::size_t previousPos = 0;
  std::size_t previousLen = 0;
  std::size_t pos = 0;
  int code = 0;

  while (pos < outSize && reader.read(width, code)) {
    if (code == clear) {
      width = minCodeSize + 1;
      free = firstFree;
      havePrevious = false;
      continue;
    }
    if (code == end) break;

    std::size_t len;
    if (code < clear) {
      out[pos] = static_cast<std::uint8_t>(code);
      len = 1;
    } else if (!havePrevious) {
      // Only literals can follow a clear code: the free entry would be made of itself.
      if (code == free) throw EGIFError("Circular decoder table entry");
      break;
    } else if (code < free) {
      len = length[code];
      const std::size_t room = outSize - pos;
      if (len > room) {
        std::memcpy(out + pos, out + start[code], room);
        pos = outSize;
        break;
      }
      std::memcpy(out + pos, out + start[code], len);
    } else if (code == free && free < kMaxCodes) {
      // The entry being defined: the previous string and its own first index.
      len = previousLen + 1;
      const std::size_t room = outSize - pos;
      std::memcpy(out + pos, out + previousPos, len - 1 < room ? len - 1 : room);
      if (len > room) {
        pos = outSize;
        break;
      }
      out[pos + len - 1] = out[previousPos];
    } else {
      break;  // beyond the table: corrupt from here on
    }

    if (havePrevious && free < kMaxCodes) {
      start[free] = previousPos;
      length[free] = static_cast<std::uint16_t>(previousLen + 1);
      ++free;
      if (free == (1 << width) && width < 12) ++width;
    }
    havePrevious = true;
    previousPos = pos;
    previousLen = len;
    pos += len;
  }
  return pos;
}

}  // namespace pixtrel
