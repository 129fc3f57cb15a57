#pragma once
// The filtered resampler for a picture that arrives row by row (from a decoder): each source row
// goes through the horizontal pass as soon as it arrives, so the whole source never has to be
// held; the vertical pass runs when every row is in. ResampleBitmap is this with all rows at once,
// so both give the same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/Bitmap24.h"
#include "imaging/FilterTable.h"

namespace pixtrel {

class TapLists;

class RowResampler {
 public:
  // Source and target sizes at least 1 x 1. Builds the tap lists and the intermediate raster;
  // throws before anything else happens when they cannot be made.
  RowResampler(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight,
               FilterFunction filter, float support);
  ~RowResampler();
  RowResampler(const RowResampler&) = delete;
  RowResampler& operator=(const RowResampler&) = delete;

  // Source rows [firstRow, firstRow + count), BGR, stride bytes apart; rows outside the source
  // are ignored. Short bands are copied and passed once enough rows are gathered. Throws only
  // when memory runs out.
  void AddRows(const std::uint8_t* rows, std::size_t stride, int firstRow, int count);
  // The vertical pass into target, which must have the target size. Rows never added count as
  // black.
  void Finish(Bitmap24& target);

 private:
  void Flush();
  void Pass(const std::uint8_t* rows, std::size_t stride, int firstRow, int count);

  std::unique_ptr<TapLists> across_;
  std::unique_ptr<TapLists> down_;
  Bitmap24 intermediate_;
  int sourceWidth_;
  bool vector_;
  std::vector<std::uint8_t> pending_;  // gathered rows, 3 bytes a pixel, packed
  int pendingFirst_ = 0;
  int pendingCount_ = 0;
};

}  // namespace pixtrel
