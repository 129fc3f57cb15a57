#include "codecs/ImageFormat.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "codecs/FormatTable.h"

namespace pixtrel {

std::optional<ImageFormat> FormatFromExtension(std::string_view fileName) {
  std::string ext(ExtensionOf(fileName));
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const FormatRow& row : FormatTable()) {
    for (std::string_view known : row.extensions) {
      if (ext == known) return row.format;
    }
  }
  return std::nullopt;
}

}  // namespace pixtrel
