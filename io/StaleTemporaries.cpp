#include "io/StaleTemporaries.h"

#include <system_error>

namespace fs = std::filesystem;

namespace pixtrel {

bool IsOurTemporaryName(std::string_view name) {
  constexpr std::string_view kMiddle = ".pixtrel-";
  constexpr std::string_view kEnd = ".tmp";
  constexpr std::size_t kRandom = 8;
  const std::size_t tail = kMiddle.size() + kRandom + kEnd.size();
  if (name.size() < 2 + tail || name.front() != '.') return false;
  const std::string_view rest = name.substr(name.size() - tail);
  if (rest.substr(0, kMiddle.size()) != kMiddle || rest.substr(rest.size() - kEnd.size()) != kEnd)
    return false;
  for (const char c : rest.substr(kMiddle.size(), kRandom)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

void RemoveStaleTemporaries(const fs::path& folder, std::chrono::seconds maxAge) noexcept {
  try {
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path& file = it->path();
      if (!IsOurTemporaryName(file.filename().string())) continue;
      std::error_code fileError;
      if (!fs::is_regular_file(fs::symlink_status(file, fileError))) continue;
      const auto written = fs::last_write_time(file, fileError);
      if (fileError || now - written <= maxAge) continue;
      fs::remove(file, fileError);
    }
  } catch (...) {
    // Clearing up is a courtesy; it never stands in the way of the batch.
  }
}

}  // namespace pixtrel
