#pragma once
// What the end-to-end tests of the commands over every format share: photos made by ImageMagick,
// tags written and read by exiftool, and pictures read back by PIL with their alpha.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace pixtrel::test {

// A photo-like JPEG (a plasma fractal, so it has detail everywhere) of w x h at quality 92.
bool MakePhoto(const std::filesystem::path& file, int width, int height, int seed);

// Runs exiftool with the arguments on the file, changing it in place.
bool ExifToolWrite(const std::filesystem::path& file, const std::vector<std::string>& arguments);

// The tags exiftool reads (names as "-s" prints them, values as numbers with "-n"); every tag of
// the file when none is named.
std::map<std::string, std::string> ExifToolRead(const std::filesystem::path& file,
                                                const std::vector<std::string>& tags = {});

// A block exiftool extracts (-b), e.g. "ICC_Profile" or "EXIF"; empty when there is none.
Bytes ExifToolBinary(const std::filesystem::path& file, const std::string& tag);

// The types of a PNG file's chunks in order ("IHDR", "eXIf", ...); empty when it is no PNG.
std::vector<std::string> PngChunkTypes(const Bytes& png);

// True when the bytes occur in the file.
bool FileHas(const std::filesystem::path& file, const std::string& bytes);

}  // namespace pixtrel::test

#define PIXTREL_SKIP_WITHOUT_EXIFTOOL() PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool")
