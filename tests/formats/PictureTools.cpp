#include "tests/formats/PictureTools.h"

#include <fstream>
#include <sstream>

#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace fs = std::filesystem;

Rgba RgbaOf(const DecodedPicture& picture) {
  const Bitmap24 bitmap = ToBitmap24(picture.raster);
  Rgba out{bitmap.width(), bitmap.height(), {}};
  out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * 4);
  for (int y = 0; y < out.height; ++y) {
    const std::uint8_t* in = bitmap.row(y);
    for (int x = 0; x < out.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * out.width + x;
      out.pixels[i * 4 + 0] = in[x * 3 + 2];
      out.pixels[i * 4 + 1] = in[x * 3 + 1];
      out.pixels[i * 4 + 2] = in[x * 3 + 0];
      out.pixels[i * 4 + 3] = picture.alpha ? (*picture.alpha)[i] : 255;
    }
  }
  return out;
}

std::optional<Rgba> ReadRgbaWithPil(const fs::path& file) {
  std::optional<RgbaPicture> picture = PilRgba(file);
  if (!picture) return std::nullopt;
  return Rgba{picture->width, picture->height, std::move(picture->rgba)};
}

void WritePam(const fs::path& file, const Rgba& picture) {
  std::ofstream out(file, std::ios::binary);
  out << "P7\nWIDTH " << picture.width << "\nHEIGHT " << picture.height
      << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  out.write(reinterpret_cast<const char*>(picture.pixels.data()),
            static_cast<std::streamsize>(picture.pixels.size()));
}

std::string FirstDifference(const Rgba& expected, const Rgba& actual) {
  if (expected.width != actual.width || expected.height != actual.height) {
    return "size " + std::to_string(actual.width) + " x " + std::to_string(actual.height) +
           " instead of " + std::to_string(expected.width) + " x " +
           std::to_string(expected.height);
  }
  if (expected.pixels.size() != actual.pixels.size()) return "pixel buffers differ in size";
  for (std::size_t i = 0; i < expected.pixels.size(); i += 4) {
    const std::uint8_t* e = &expected.pixels[i];
    const std::uint8_t* a = &actual.pixels[i];
    const bool bothClear = e[3] == 0 && a[3] == 0;
    if (e[3] != a[3] || (!bothClear && (e[0] != a[0] || e[1] != a[1] || e[2] != a[2]))) {
      const std::size_t pixel = i / 4;
      std::ostringstream text;
      text << "pixel (" << pixel % expected.width << ", " << pixel / expected.width << "): rgba "
           << int(a[0]) << " " << int(a[1]) << " " << int(a[2]) << " " << int(a[3])
           << " instead of " << int(e[0]) << " " << int(e[1]) << " " << int(e[2]) << " "
           << int(e[3]);
      return text.str();
    }
  }
  return "";
}

PngHeader ReadPngHeader(const std::vector<std::uint8_t>& file) {
  if (file.size() < 29) return {};
  return PngHeader{file[24], file[25], file[28]};
}

}  // namespace pixtrel::test
