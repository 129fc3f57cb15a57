#pragma once
// Independent readers run over every picture the end-to-end tests make: exiftool's validation
// (every format), pngcheck (PNG) and webpinfo (WebP). RunBatchTool applies it to each file a run
// writes or changes; a problem the file's source already had is allowed.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "io/FileBytes.h"

namespace pixtrel::test {

// What the readers find wrong with the file: exiftool's warnings and errors, pngcheck's and
// webpinfo's complaints, each prefixed with the reader's name and with the file's path taken
// out. Readers that are not installed are skipped.
std::vector<std::string> PictureProblems(const std::filesystem::path& file);
// The same for several files at once (one exiftool run for all of them).
std::map<std::filesystem::path, std::vector<std::string>> PictureProblems(
    const std::vector<std::filesystem::path>& files);

// The picture files (by extension) under a folder and one level of subfolders, with their bytes.
using PictureSnapshot = std::map<std::filesystem::path, Bytes>;
PictureSnapshot SnapshotPictures(const std::filesystem::path& folder);

// Checks every picture in `after` that is new or changed against `before`: each problem it has
// that its source (found by the output naming rules: the same name, vantro/NAME, a command's
// prefix, an appended extension) did not have is reported as a test failure.
void ExpectNoNewProblems(const PictureSnapshot& before, const PictureSnapshot& after);

}  // namespace pixtrel::test
