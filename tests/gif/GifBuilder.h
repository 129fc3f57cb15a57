#pragma once
// Builds GIF files byte by byte, valid or not, for the reader's hostile-input tests.
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/gif/GifLzwEncoder.h"

namespace pixtrel::test {

class GifBuilder {
 public:
  std::vector<std::uint8_t> bytes;

  // Signature, screen descriptor and, when tableBits > 0, a global table of 2^tableBits grey
  // entries (entry i: i * 16 in every channel).
  GifBuilder& screen(int width, int height, int tableBits, const char* signature = "GIF89a") {
    bytes.insert(bytes.end(), signature, signature + 6);
    u16(width);
    u16(height);
    u8(tableBits > 0 ? 0x80 | 0x70 | (tableBits - 1) : 0);
    u8(0);
    u8(0);
    table(tableBits);
    return *this;
  }
  GifBuilder& graphicControl(std::uint8_t packed, std::uint8_t transparentIndex) {
    return raw({'!', 0xF9, 4, packed, 0, 0, transparentIndex, 0});
  }
  GifBuilder& extension(std::uint8_t label, const std::string& data) {
    raw({'!', label});
    if (label == 0xFF || label == 0x01) {
      const std::size_t first = label == 0xFF ? 11 : 12;
      u8(static_cast<int>(first));
      for (std::size_t i = 0; i < first; ++i)
        u8(i < data.size() ? data[i] : ' ');
    }
    u8(static_cast<int>(data.size() % 255));
    bytes.insert(bytes.end(), data.begin(), data.begin() + static_cast<long>(data.size() % 255));
    u8(0);
    return *this;
  }
  // Image descriptor, optional local table and the pixels' LZW data.
  GifBuilder& image(int left, int top, int width, int height, int localBits,
                    const std::vector<std::uint8_t>& pixels, int codeSize = 0,
                    bool interlaced = false) {
    u8(',');
    u16(left);
    u16(top);
    u16(width);
    u16(height);
    u8((localBits > 0 ? 0x80 | (localBits - 1) : 0) | (interlaced ? 0x40 : 0));
    table(localBits);
    const int size = codeSize ? codeSize : (localBits > 2 ? localBits : 2);
    return data(size, EncodeGifLzw(pixels, size));
  }
  // A minimum code size byte and the given code bytes in sub-blocks.
  GifBuilder& data(int codeSize, const std::vector<std::uint8_t>& codes) {
    u8(codeSize);
    for (std::size_t at = 0; at < codes.size(); at += 255) {
      const std::size_t n = std::min<std::size_t>(255, codes.size() - at);
      u8(static_cast<int>(n));
      bytes.insert(bytes.end(), codes.begin() + static_cast<long>(at),
                   codes.begin() + static_cast<long>(at + n));
    }
    u8(0);
    return *this;
  }
  GifBuilder& trailer() { return raw({0x3B}); }
  GifBuilder& raw(std::initializer_list<std::uint8_t> b) {
    bytes.insert(bytes.end(), b);
    return *this;
  }
  void u8(int v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
  void u16(int v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }

 private:
  void table(int bits) {
    if (bits <= 0) return;
    for (int i = 0; i < (1 << bits); ++i) {
      for (int c = 0; c < 3; ++c)
        u8(i * 16);
    }
  }
};

}  // namespace pixtrel::test
