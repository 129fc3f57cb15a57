#pragma once
// Helpers for the GIF tests: reading files back with PIL as colour indices, and small builders.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/PaletteBitmap.h"
#include "io/FileBytes.h"

namespace pixtrel::test {

// A picture as PIL decodes it: for palette pictures the indices and the table as PIL sees it.
struct PilIndexed {
  std::string mode;
  int width = 0;
  int height = 0;
  int frames = 1;
  std::vector<std::uint8_t> indices;  // mode "P" (or "L"): one byte per pixel
  std::vector<Rgb> palette;           // mode "P": PIL's palette
  std::string info;                   // PIL's info dict, as text
};
std::optional<PilIndexed> ReadIndexedWithPil(const std::filesystem::path& file);

// Runs a Python snippet with PIL that writes files into folder (passed as sys.argv[1]).
// Returns false when it failed (the output is in message).
bool MakeWithPython(const std::string& code, const std::filesystem::path& folder,
                    std::string* message = nullptr);

// Little-endian 16-bit value at offset.
inline int U16At(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8);
}

}  // namespace pixtrel::test
