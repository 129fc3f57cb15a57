#include "batch/MessageLine.h"

namespace pixtrel {

std::string OnOneLine(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string line;
  line.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      line += c;
    } else if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else if (c == '\t') {
      line += "\\t";
    } else {
      line += "\\x";
      line += kHex[byte >> 4];
      line += kHex[byte & 15];
    }
  }
  return line;
}

}  // namespace pixtrel
