#include "tests/jxl/JxlTools.h"

#include <cmath>

#include "codecs/png/PngFile.h"

namespace pixtrel::test {

Bitmap24 SmoothPicture(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = picture.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      const double r = std::hypot(x - width / 3.0, y - height / 2.0);
      p[0] = static_cast<std::uint8_t>(40 + 160.0 * x / width);
      p[1] = static_cast<std::uint8_t>(60 + 120.0 * y / height);
      p[2] = static_cast<std::uint8_t>(128 + 100 * std::sin(r / 9.0));
    }
  }
  return picture;
}

Bytes Cjxl(const TempFolder& folder, const std::filesystem::path& source,
           const std::vector<std::string>& options, const std::string& outputName,
           std::string* log) {
  const auto output = folder / outputName;
  std::vector<std::string> argv{"cjxl", source.string(), output.string()};
  argv.insert(argv.end(), options.begin(), options.end());
  const RunResult r = Run(argv);
  if (log) *log = r.out + r.err;
  return r.exitCode == 0 ? FileContents(output) : Bytes{};
}

Bytes Djxl(const TempFolder& folder, const Bytes& jxl, const std::string& outputName,
           std::string* log) {
  const auto input = folder / "djxl-input.jxl", output = folder / outputName;
  WriteBytes(input, jxl);
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  const RunResult r = Run({"djxl", input.string(), output.string()});
  if (log) *log = r.out + r.err;
  return r.exitCode == 0 ? FileContents(output) : Bytes{};
}

DecodedPicture DjxlPicture(const TempFolder& folder, const Bytes& jxl) {
  std::string log;
  const Bytes png = Djxl(folder, jxl, "djxl-output.png", &log);
  if (png.empty()) throw std::runtime_error("djxl failed: " + log);
  return ReadPngBytes(png);
}

std::filesystem::path Write16BitPng(const TempFolder& folder, int width, int height,
                                    const std::vector<std::uint16_t>& samples, bool alpha) {
  const auto raw = folder / "samples.raw", png = folder / "deep.png";
  Bytes bytes;
  for (std::uint16_t s : samples) {
    bytes.push_back(static_cast<std::uint8_t>(s >> 8));
    bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
  }
  WriteBytes(raw, bytes);
  const RunResult r = RunPython(
      "import struct, sys, zlib\n"
      "w, h, channels = int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])\n"
      "data = open(sys.argv[1], 'rb').read()\n"
      "row = w * channels * 2\n"
      "raw = b''.join(b'\\0' + data[y * row:(y + 1) * row] for y in range(h))\n"
      "def chunk(kind, body):\n"
      "    return struct.pack('>I', len(body)) + kind + body + "
      "struct.pack('>I', zlib.crc32(kind + body))\n"
      "ihdr = struct.pack('>IIBBBBB', w, h, 16, 6 if channels == 4 else 2, 0, 0, 0)\n"
      "out = b'\\x89PNG\\r\\n\\x1a\\n' + chunk(b'IHDR', ihdr) + "
      "chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')\n"
      "open(sys.argv[5], 'wb').write(out)\n",
      {raw.string(), std::to_string(width), std::to_string(height), alpha ? "4" : "3",
       png.string()});
  if (r.exitCode != 0) throw std::runtime_error("python failed: " + r.err);
  return png;
}

namespace {

// Bits written least significant first, as the codestream stores them.
class BitWriter {
 public:
  void put(std::uint64_t value, int bits) {
    for (int i = 0; i < bits; ++i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(1u << (used_ % 8));
      ++used_;
    }
  }
  Bytes bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  int used_ = 0;
};

}  // namespace

Bytes CodestreamClaiming(std::uint32_t width, std::uint32_t height, std::size_t tail) {
  BitWriter bits;
  bits.put(0xFF, 8);
  bits.put(0x0A, 8);
  // SizeHeader: not a multiple of 8; height - 1 in 30 bits (selector 3); no ratio; width - 1 in
  // 30 bits.
  bits.put(0, 1);
  bits.put(3, 2);
  bits.put(height - 1, 30);
  bits.put(0, 3);
  bits.put(3, 2);
  bits.put(width - 1, 30);
  // ImageMetadata: all default (8-bit sRGB, no extra channels).
  bits.put(1, 1);
  Bytes out = bits.bytes();
  out.insert(out.end(), tail, 0x55);
  return out;
}

Bytes Box(const std::string& type, const Bytes& payload, std::uint64_t claimedSize) {
  Bytes out;
  auto be = [&](std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
      out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  if (claimedSize > 0xFFFFFFFFu) {
    be(1, 4);
    out.insert(out.end(), type.begin(), type.end());
    be(claimedSize, 8);
  } else {
    be(claimedSize ? claimedSize : payload.size() + 8, 4);
    out.insert(out.end(), type.begin(), type.end());
  }
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

}  // namespace pixtrel::test
