#include "codecs/gif/GifLzwEncoder.h"

#include "core/Errors.h"

namespace pixtrel {
namespace {

constexpr int kMaxCode = 4094;  // the last code given to a string before the table restarts

// Packs codes least significant bit first into a buffer sized for the worst case, four bytes
// at a time.
class CodeWriter {
 public:
  explicit CodeWriter(std::size_t maxCodes) : out_(maxCodes * 12 / 8 + 16) {}

  void write(int code, int width) {
    bits_ |= static_cast<std::uint64_t>(code) << count_;
    count_ += width;
    if (count_ >= 32) {
      const auto word = static_cast<std::uint32_t>(bits_);
      for (int i = 0; i < 4; ++i)
        out_[size_ + i] = static_cast<std::uint8_t>(word >> (8 * i));
      size_ += 4;
      bits_ >>= 32;
      count_ -= 32;
    }
  }

  std::vector<std::uint8_t> finish() {
    while (count_ > 0) {
      out_[size_++] = static_cast<std::uint8_t>(bits_);
      bits_ >>= 8;
      count_ -= 8;
    }
    out_.resize(size_);
    return std::move(out_);
  }

 private:
  std::vector<std::uint8_t> out_;
  std::size_t size_ = 0;
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

}  // namespace

std::vector<std::uint8_t> EncodeGifLzw(std::span<const std::uint8_t> pixels, int minCodeSize) {
  if (minCodeSize < 2 || minCodeSize > 8) throw EGIFError("Invalid LZW code size");
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  const int firstFree = clear + 2;
  const std::size_t alphabet = static_cast<std::size_t>(clear);

  // The string table as a direct map from (prefix code, next index) to code; 0 means absent,
  // as no string ever gets code 0. Only the slots filled since the last clear are reset.
  std::vector<std::uint16_t> table(static_cast<std::size_t>(kMaxCode + 1) * alphabet, 0);
  std::vector<std::uint32_t> filled(kMaxCode + 1);

  // At most one code per pixel, plus the clear codes and the first and last codes.
  CodeWriter writer(pixels.size() + pixels.size() / (kMaxCode - firstFree) + 4);
  int width = minCodeSize + 1;
  int free = firstFree;

  // A written code that the next free code no longer fits widens the codes after it.
  auto emit = [&](int code) {
    writer.write(code, width);
    if (free >= (1 << width) && width < 12) ++width;
  };

  writer.write(clear, width);
  if (pixels.empty()) {
    writer.write(end, width);
    return writer.finish();
  }

  auto checked = [alphabet](std::uint8_t index) {
    if (index >= alphabet) throw EGIFError("Color not in color table");
    return index;
  };
  int prefix = checked(pixels[0]);
  const std::size_t count = pixels.size();
  const std::uint8_t* p = pixels.data();
  for (std::size_t i = 1; i < count; ++i) {
    const std::uint8_t index = checked(p[i]);
    const std::size_t slot = static_cast<std::size_t>(prefix) * alphabet + index;
    if (const int code = table[slot]) {
      prefix = code;
      continue;
    }
    emit(prefix);
    if (free > kMaxCode) {
      writer.write(clear, width);
      for (int c = firstFree; c < free; ++c)
        table[filled[c]] = 0;
      free = firstFree;
      width = minCodeSize + 1;
    } else {
      table[slot] = static_cast<std::uint16_t>(free);
      filled[free] = static_cast<std::uint32_t>(slot);
      ++free;
    }
    prefix = index;
  }
  emit(prefix);
  writer.write(end, width);
  return writer.finish();
}

}  // namespace pixtrel
