#pragma once
// Small test pictures of every format the window's tabs work on, chosen by the file's
// extension, optionally carrying an EXIF block whose orientation tag says "turn right". HEIC and
// AVIF files are made by Debian's encoders (heif-enc from libheif-examples, avifenc from
// libavif-bin).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pixtrel::test {

// An EXIF block (TIFF header onwards) holding just the orientation tag.
std::vector<std::uint8_t> OrientationExif(int orientation);

// The encoders missing for the named files (empty: every file can be made).
std::vector<std::string> MissingEncoders(const std::vector<std::string>& files);

// Writes a width x height test pattern as .jpg, .gif, .bmp, .png, .webp, .heic or .avif (the PNG
// with an alpha plane). With turnedRight, JPEG, PNG and WebP files carry OrientationExif(6).
void WriteFormatPicture(const std::filesystem::path& file, int width, int height, unsigned seed,
                        bool turnedRight = false);

}  // namespace pixtrel::test
