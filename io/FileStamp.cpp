#include "io/FileStamp.h"

#include <chrono>
#include <fstream>

namespace fs = std::filesystem;

namespace pixtrel {
namespace {

bool ToLocal(std::time_t t, std::tm& out) {
#ifdef _WIN32
  return localtime_s(&out, &t) == 0;
#else
  return localtime_r(&t, &out) != nullptr;
#endif
}

}  // namespace

FileStamp PackFileStamp(const std::tm& t) {
  const int year = t.tm_year + 1900;
  if (year < 1980 || year > 2107) return kNoFileStamp;
  const std::uint32_t packed =
      static_cast<std::uint32_t>(year - 1980) << 25 |
      static_cast<std::uint32_t>(t.tm_mon + 1) << 21 | static_cast<std::uint32_t>(t.tm_mday) << 16 |
      static_cast<std::uint32_t>(t.tm_hour) << 11 | static_cast<std::uint32_t>(t.tm_min) << 5 |
      static_cast<std::uint32_t>(t.tm_sec / 2);
  return static_cast<FileStamp>(packed);
}

bool UnpackFileStamp(FileStamp stamp, std::tm& t) {
  if (stamp == kNoFileStamp) return false;
  const auto packed = static_cast<std::uint32_t>(stamp);
  t = std::tm{};
  t.tm_year = static_cast<int>(packed >> 25) + 1980 - 1900;
  t.tm_mon = static_cast<int>((packed >> 21) & 0x0F) - 1;
  t.tm_mday = static_cast<int>((packed >> 16) & 0x1F);
  t.tm_hour = static_cast<int>((packed >> 11) & 0x1F);
  t.tm_min = static_cast<int>((packed >> 5) & 0x3F);
  t.tm_sec = static_cast<int>(packed & 0x1F) * 2;
  t.tm_isdst = -1;
  return t.tm_mon >= 0 && t.tm_mon < 12 && t.tm_mday >= 1 && t.tm_hour < 24 && t.tm_min < 60 &&
         t.tm_sec < 60;
}

FileStamp ReadFileStamp(const fs::path& path) {
  std::ifstream probe(path, std::ios::binary);  // the file must be readable
  if (!probe) return kNoFileStamp;
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(path, ec);
  if (ec) return kNoFileStamp;
  const auto system = std::chrono::file_clock::to_sys(written);
  std::tm local{};
  if (!ToLocal(std::chrono::system_clock::to_time_t(
                   std::chrono::time_point_cast<std::chrono::system_clock::duration>(system)),
               local))
    return kNoFileStamp;
  return PackFileStamp(local);
}

void ApplyFileStamp(const fs::path& path, FileStamp stamp) {
  std::tm local{};
  if (!UnpackFileStamp(stamp, local)) return;
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return;  // never creates the file
  const std::time_t t = std::mktime(&local);
  if (t == static_cast<std::time_t>(-1)) return;
  const auto system = std::chrono::system_clock::from_time_t(t);
  fs::last_write_time(path, std::chrono::file_clock::from_sys(system), ec);
}

}  // namespace pixtrel
