#pragma once
#include <cstdint>
#include <filesystem>
#include <vector>

namespace pixtrel {

using Bytes = std::vector<std::uint8_t>;

// The whole file. Fails with "Cannot open file %s" (the path as given) when it cannot be opened,
// and with "Stream read error" when reading fails or the file is larger than the program reads.
Bytes ReadFileBytes(const std::filesystem::path& path);

}  // namespace pixtrel
