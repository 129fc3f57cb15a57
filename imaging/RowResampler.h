#pragma once
// The filtered resampler for a picture that arrives row by row (from a decoder): each source row
// goes through the horizontal pass as soon as it arrives, and each target row through the
// vertical pass as soon as the source rows it reads are in. Only the window of intermediate rows
// that target rows still to come read is held, so neither the whole source nor the whole
// intermediate is ever in memory. ResampleBitmap is this with all rows at once; the bytes do not
// depend on how the rows arrive.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Bitmap24.h"
#include "imaging/FilterTable.h"

namespace pixtrel {

class TapLists;

class RowResampler {
 public:
  // Source and target at least 1 x 1; the target is written row by row from here on and must
  // outlive the resampler. Builds the tap lists and the window of intermediate rows; throws,
  // with the target untouched, when they cannot be made or when the whole intermediate (target
  // width x source height) would be beyond the picture limits.
  RowResampler(int sourceWidth, int sourceHeight, Bitmap24& target, FilterFunction filter,
               float support);
  ~RowResampler();
  RowResampler(const RowResampler&) = delete;
  RowResampler& operator=(const RowResampler&) = delete;

  // Source rows [firstRow, firstRow + count), BGR, stride bytes apart, coming from the top down:
  // rows that came before (or lie outside the source) are ignored, rows skipped count as black.
  // Short bands are gathered before they are passed, so that the pass can split them between
  // cores. Throws only when memory runs out.
  void AddRows(const std::uint8_t* rows, std::size_t stride, int firstRow, int count);
  // Writes the target rows still missing; source rows never added count as black.
  void Finish();

 private:
  void Flush();
  void Take(const std::uint8_t* rows, std::size_t stride, int count);
  void HorizontalPass(const std::uint8_t* rows, std::size_t stride, int count, int windowRow);
  void WriteReadyRows();
  void DropUnneededRows();

  std::shared_ptr<const TapLists> across_;
  std::shared_ptr<const TapLists> down_;
  Bitmap24& target_;
  // Per target row: one past the last source row it reads, and the first source row it or any
  // later target row reads.
  std::vector<int> readyAt_;
  std::vector<int> neededFrom_;
  Bitmap24 window_;  // intermediate rows [windowFirst_, next_)
  int windowFirst_ = 0;
  int next_ = 0;  // source rows [0, next_) have been passed
  int done_ = 0;  // target rows [0, done_) are written
  int sourceWidth_;
  int sourceHeight_;
  bool vector_;
  std::vector<std::uint8_t> pending_;  // gathered rows from next_ on, 3 bytes a pixel, packed
  int pendingCount_ = 0;
};

}  // namespace pixtrel
