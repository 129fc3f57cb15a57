#pragma once
// The registry: every picture format's row, in the order pixtrel-batch and the window offer
// them as conversion targets. Every list of formats the program shows or accepts comes from
// here; a new format is its codec's folder and one line in Registry.cpp.
#include <string_view>
#include <vector>

#include "codecs/FormatRow.h"

namespace pixtrel {

// The rows in registry order; they live as long as the program.
const std::vector<const FormatRow*>& Registry();
// The row whose key or alias is the word ("jpg", "jpeg", "png", ...; case ignored), or null.
const FormatRow* RowForKey(std::string_view word);
// The row whose extensions hold the file name's extension (from its last "."; case ignored),
// or null.
const FormatRow* RowForFileName(std::string_view fileName);
// The rows that are resized, by resizeRank: the resize commands' and the resize tabs' order.
std::vector<const FormatRow*> ResizableRows();
// The rows that are written, in registry order: the conversion targets.
std::vector<const FormatRow*> WritableRows();

}  // namespace pixtrel
