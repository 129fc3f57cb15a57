#include "core/FileName.h"

namespace pixtrel {

std::string_view ExtensionOf(std::string_view fileName) {
  const auto slash = fileName.find_last_of("/\\");
  const auto dot = fileName.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return fileName.substr(dot);
}

std::string ConvertedName(const std::string& source, const std::string& extension) {
  const auto slash = source.find_last_of("/\\");
  return (slash == std::string::npos ? source : source.substr(slash + 1)) + extension;
}

}  // namespace pixtrel
