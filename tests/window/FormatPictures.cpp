#include "tests/window/FormatPictures.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifRaster.h"
#include "codecs/gif/GifWriter.h"
#include "codecs/jpeg/JpegImage.h"
#include "codecs/png/PngFile.h"
#include "codecs/webp/WebpFile.h"
#include "io/FileBytes.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

// The EXIF block as a JPEG APP1 segment, right after the start-of-image marker.
Bytes WithExifSegment(const Bytes& jpeg, const std::vector<std::uint8_t>& exif) {
  const std::size_t length = 2 + 6 + exif.size();
  Bytes segment = {0xFF,
                   0xE1,
                   static_cast<std::uint8_t>(length >> 8),
                   static_cast<std::uint8_t>(length & 0xFF),
                   'E',
                   'x',
                   'i',
                   'f',
                   0,
                   0};
  segment.insert(segment.end(), exif.begin(), exif.end());
  Bytes out;
  out.reserve(jpeg.size() + segment.size());
  out.push_back(jpeg.at(0));
  out.push_back(jpeg.at(1));
  out.insert(out.end(), segment.begin(), segment.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

// Opaque in the middle, fading out towards the left edge.
std::vector<std::uint8_t> FadingAlpha(int width, int height) {
  std::vector<std::uint8_t> alpha;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      alpha.push_back(static_cast<std::uint8_t>(std::min(255, 60 + x * 24)));
  }
  return alpha;
}

// A HEIC or AVIF file made by Debian's encoder from the picture written as PNG.
void WriteEncoded(const fs::path& file, const Bitmap24& picture) {
  const TempFolder scratch;
  const fs::path source = scratch / "source.png";
  WriteBytes(source, EncodePng(Raster(picture), nullptr, PictureMetadata()));
  const bool heic = file.extension() == ".heic";
  const std::vector<std::string> command =
      heic ? std::vector<std::string>{"heif-enc", "-q", "90", "-o", file.string(), source.string()}
           : std::vector<std::string>{"avifenc", source.string(), file.string()};
  const RunResult made = Run(command);
  if (made.exitCode != 0) throw std::runtime_error(command.front() + " failed: " + made.err);
}

}  // namespace

std::vector<std::string> MissingEncoders(const std::vector<std::string>& files) {
  std::vector<std::string> missing;
  for (const std::string& file : files) {
    const std::string ext = fs::path(file).extension().string();
    const char* encoder = ext == ".heic" ? "heif-enc" : ext == ".avif" ? "avifenc" : nullptr;
    if (encoder && !HaveProgram(encoder)) missing.push_back(encoder);
  }
  return missing;
}

std::vector<std::uint8_t> OrientationExif(int orientation) {
  // Little-endian TIFF header, one IFD with one SHORT entry (tag 0x0112), no next IFD.
  return {'I',
          'I',
          42,
          0,
          8,
          0,
          0,
          0,
          1,
          0,
          0x12,
          0x01,
          3,
          0,
          1,
          0,
          0,
          0,
          static_cast<std::uint8_t>(orientation),
          0,
          0,
          0,
          0,
          0,
          0,
          0};
}

void WriteFormatPicture(const fs::path& file, int width, int height, unsigned seed,
                        bool turnedRight) {
  const Bitmap24 picture = TestPattern(width, height, seed);
  PictureMetadata metadata;
  if (turnedRight) metadata.exif = OrientationExif(6);
  const std::string ext = file.extension().string();
  if (ext == ".jpg") {
    TJPEGImage jpeg;
    SetJpegRaster(jpeg, Raster(picture));
    jpeg.Quality = 90;
    EncodeJpeg(jpeg);
    WriteBytes(file, turnedRight ? WithExifSegment(jpeg.data(), metadata.exif) : jpeg.data());
  } else if (ext == ".gif") {
    TGIFImage gif;
    SetGifRaster(gif, picture);
    WriteGifFile(gif, file);
  } else if (ext == ".bmp") {
    WriteBmpFile(Raster(picture), file);
  } else if (ext == ".png") {
    const std::vector<std::uint8_t> alpha = FadingAlpha(width, height);
    WriteBytes(file, EncodePng(Raster(picture), &alpha, metadata));
  } else if (ext == ".webp") {
    WriteBytes(file, EncodeWebp(Raster(picture), nullptr, metadata));
  } else if (ext == ".heic" || ext == ".avif") {
    WriteEncoded(file, picture);
  } else {
    throw std::invalid_argument("no test picture for " + ext);
  }
}

}  // namespace pixtrel::test
