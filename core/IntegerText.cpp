#include "core/IntegerText.h"

#include <cstdint>
#include <string>

#include "core/Errors.h"

namespace pixtrel {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Takes a sign off the front; true when negative.
bool TakeSign(std::string_view& rest) {
  if (rest.empty() || (rest[0] != '+' && rest[0] != '-')) return false;
  const bool negative = rest[0] == '-';
  rest.remove_prefix(1);
  return negative;
}

// Takes a hexadecimal prefix off the front; true when there was one.
bool TakeHexPrefix(std::string_view& rest, bool bareX) {
  if (!rest.empty() && (rest[0] == '$' || (bareX && (rest[0] == 'x' || rest[0] == 'X')))) {
    rest.remove_prefix(1);
    return true;
  }
  if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    rest.remove_prefix(2);
    return true;
  }
  return false;
}

}  // namespace

std::optional<int> ParseInteger(std::string_view text, IntegerSyntax syntax) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  std::string_view rest = text.substr(i);
  bool negative = syntax.signBeforeHex && TakeSign(rest);
  const bool hex = TakeHexPrefix(rest, syntax.bareXIsHex);
  if (!hex && !syntax.signBeforeHex) negative = TakeSign(rest);
  if (rest.empty()) return std::nullopt;
  const int base = hex ? 16 : 10;
  std::int64_t value = 0;
  for (char c : rest) {
    const int d = hex ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > std::int64_t{1} << 32) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int>(value);
}

int StrToInt(std::string_view text) {
  if (auto value = ParseInteger(text)) return *value;
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace pixtrel
