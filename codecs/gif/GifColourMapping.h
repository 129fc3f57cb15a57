#pragma once
// Pixels mapped to the nearest colour of a table, as they are or with Floyd-Steinberg dithering.
#include <cstdint>
#include <vector>

#include "core/Bitmap24.h"
#include "core/PaletteBitmap.h"

namespace pixtrel {

// The nearest entry of a table (at most 256 colours) to a colour: the least squared distance in
// red, green and blue, the lowest index on a tie. Each region of 8 x 8 x 8 colours remembers the
// few entries that can be nearest to any colour in it, so a lookup compares only those.
class NearestColour {
 public:
  explicit NearestColour(std::vector<Rgb> table);
  std::uint8_t operator()(int red, int green, int blue);

 private:
  void Prepare(int cell);

  std::vector<Rgb> table_;
  std::vector<std::int32_t> first_;  // per cell: where its entries start in candidates_, -1 unset
  std::vector<std::uint16_t> count_;
  std::vector<std::uint8_t> candidates_;
};

// Writes width x height indices (rows without padding) to out: each pixel's nearest table entry,
// or skipIndex for the pixels whose mask byte is 0 (mask null: every pixel counts). With dither,
// each pixel's error is spread to its unvisited neighbours (7/16 ahead, 3/16, 5/16 and 1/16 on
// the next row), rows taken alternately left to right and right to left; skipped pixels neither
// take nor pass on error. Deterministic.
void MapToTable(const Bitmap24& picture, const std::vector<std::uint8_t>* mask,
                const std::vector<Rgb>& table, int skipIndex, bool dither, std::uint8_t* out);

}  // namespace pixtrel
