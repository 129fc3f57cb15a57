#pragma once
// Messages are one line each: pixtrel-batch prints one per failing file, and scripts read them
// line by line. A file name may hold a line break or other control characters; those are shown
// escaped.
#include <string>
#include <string_view>

namespace pixtrel {

// The text with line breaks, tabs and other control characters written as \n, \r, \t and \xNN.
std::string OnOneLine(std::string_view text);

}  // namespace pixtrel
