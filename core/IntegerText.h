#pragma once
#include <optional>
#include <string_view>

namespace pixtrel {

// Where the integer texts differ: a Pixels: field takes "x1F" as hexadecimal but no sign before
// a hexadecimal prefix; a stored settings value takes "-$1F" and "+0x10" but no bare "x".
struct IntegerSyntax {
  bool signBeforeHex = false;
  bool bareXIsHex = true;
};
inline constexpr IntegerSyntax kFieldIntegers{false, true};
inline constexpr IntegerSyntax kStoredIntegers{true, false};

// The integer conversion: leading blanks skipped; an optional sign before decimal digits; "$",
// "0x" (x in either case) or, as the syntax says, "x" before hexadecimal digits, with or without
// a sign before them. Anything else, an empty text, trailing blanks, or a value outside 32 bits
// gives nothing.
std::optional<int> ParseInteger(std::string_view text, IntegerSyntax syntax = kFieldIntegers);

// As ParseInteger, failing with EConvertError "'%s' is not a valid integer value".
int StrToInt(std::string_view text);

}  // namespace pixtrel
