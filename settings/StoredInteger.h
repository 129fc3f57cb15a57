#pragma once
// The integer conversion of stored values: leading blanks skipped, an optional "+" or "-",
// then "$" or "0x" for hexadecimal digits or else decimal digits, nothing after them. An empty
// text, any other character or a value outside 32 bits converts to nothing.
#include <QStringView>
#include <optional>

namespace pixtrel {

std::optional<int> ParseStoredInteger(QStringView text);

}  // namespace pixtrel
