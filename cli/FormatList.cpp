#include "cli/FormatList.h"

#include <string_view>
#include <vector>

#include "codecs/Registry.h"

namespace pixtrel::cli {
namespace {

std::string Joined(const std::vector<std::string_view>& words) {
  std::string text;
  for (std::string_view word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

}  // namespace

std::string FormatListText() {
  std::string text;
  for (const FormatRow* row : Registry()) {
    text += std::string(row->key) + '\t' + (row->writable() ? "read,write" : "read") + '\t' +
            Joined(row->extensions) + '\t' + Joined(row->mimeTypes) + '\t' +
            std::string(row->title) + '\t' + std::string(row->name) + '\n';
  }
  return text;
}

}  // namespace pixtrel::cli
