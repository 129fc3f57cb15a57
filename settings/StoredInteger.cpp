#include "settings/StoredInteger.h"

#include <cstdint>

namespace pixtrel {
namespace {

int DigitValue(QChar c, int base) {
  const char16_t u = c.unicode();
  int value = -1;
  if (u >= '0' && u <= '9') value = u - '0';
  if (u >= 'a' && u <= 'f') value = u - 'a' + 10;
  if (u >= 'A' && u <= 'F') value = u - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::optional<int> ParseStoredInteger(QStringView text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == u' ')
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == u'0' &&
             (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  // Magnitudes are kept below 2^32 so the 64-bit accumulator cannot overflow.
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > (std::int64_t{1} << 32)) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace pixtrel
