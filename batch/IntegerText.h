#pragma once
#include <optional>
#include <string_view>

namespace pixtrel {

// The standard integer conversion: leading blanks skipped; an optional sign before decimal
// digits; "$", "x" or "0x" (x in either case, no sign) before hexadecimal digits. Anything
// else, an empty text, trailing blanks, or a value outside 32 bits gives nothing.
std::optional<int> ParseInteger(std::string_view text);

// As ParseInteger, failing with EConvertError "'%s' is not a valid integer value".
int StrToInt(std::string_view text);

}  // namespace pixtrel
