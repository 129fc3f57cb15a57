#pragma once
// File names between the window layer and the core.
#include <QString>
#include <filesystem>

namespace pixtrel {

// The path in the file system's own encoding.
std::filesystem::path LocalPath(const QString& path);

}  // namespace pixtrel
