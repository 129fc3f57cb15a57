#pragma once
#include <cstdint>
#include <vector>

#include "io/FilePath.h"

namespace pixtrel {

using Bytes = std::vector<std::uint8_t>;

// The whole file. Fails with "Cannot open file %s" (the file as shown) when it cannot be opened,
// and with "Stream read error" when reading fails or the file is larger than the program reads.
Bytes ReadFileBytes(const FilePath& file);

}  // namespace pixtrel
