#pragma once
// A file's last-write time in the packed FAT date-time form, in local time: bits 31..25 year
// minus 1980, 24..21 month, 20..16 day, 15..11 hours, 10..5 minutes, 4..0 seconds / 2.
#include <cstdint>
#include <ctime>
#include <filesystem>

namespace pixtrel {

using FileStamp = std::int32_t;
inline constexpr FileStamp kNoFileStamp = -1;

// Packs a broken-down local time; -1 for years outside 1980..2107.
FileStamp PackFileStamp(const std::tm& local);
// Unpacks into a broken-down local time (isdst left to the library); false for -1.
bool UnpackFileStamp(FileStamp stamp, std::tm& local);

// The file's last-write time, or -1 when it cannot be read.
FileStamp ReadFileStamp(const std::filesystem::path& path);
// Sets an existing file's last-write time; every failure (missing file, stamp -1) is ignored.
void ApplyFileStamp(const std::filesystem::path& path, FileStamp stamp);

}  // namespace pixtrel
