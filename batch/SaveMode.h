#pragma once
#include <filesystem>
#include <string>

namespace pixtrel {

// How output files are named: a prefix word, the subfolder "vantro", or over the source.
enum class SaveMode { AddPrefix = 0, Subfolder = 1, Overwrite = 2 };

inline constexpr const char* kSubfolderName = "vantro";

// "vantro" and the platform's folder separator: "vantro/" here, "vantro\" on Windows.
inline std::string SubfolderPrefix() {
  return std::string(kSubfolderName) +
         static_cast<char>(std::filesystem::path::preferred_separator);
}

}  // namespace pixtrel
