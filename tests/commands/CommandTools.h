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

}  // namespace pixtrel::test

#define PIXTREL_SKIP_WITHOUT_EXIFTOOL() PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool")
