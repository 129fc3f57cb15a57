#include "imaging/RowResampler.h"

#include <cstring>
#include <memory>

#include "concurrency/ThreadScratch.h"
#include "imaging/Kernels.h"
#include "imaging/ParallelFor.h"
#include "imaging/ResampleKernels.h"
#include "imaging/TapLists.h"

namespace pixtrel {
namespace {

// Rows gathered before a horizontal pass, so that even a 16-row decoder band keeps every core
// busy.
constexpr int kBatchRows = kHorizontalBlockRows * 8;

// Below this many channel-taps per thread a second thread costs more than it saves.
constexpr long long kTapsPerThread = 1 << 18;

PixelRows RowsOf(const Bitmap24& bitmap) {
  return {const_cast<std::uint8_t*>(bitmap.data()), bitmap.stride(), bitmap.width(),
          bitmap.height()};
}

// Items of a pass per thread so that each thread gets at least kTapsPerThread channel-taps.
int MinItems(long long tapsPerItem) {
  const long long items = kTapsPerThread / (tapsPerItem > 0 ? tapsPerItem : 1);
  return static_cast<int>(items < 1 ? 1 : (items > (1 << 30) ? (1 << 30) : items));
}

long long TotalTaps(const TapLists& lists) {
  return static_cast<long long>(lists.starts()[lists.size()]);
}

}  // namespace

RowResampler::RowResampler(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight,
                           FilterFunction filter, float support)
    : across_(std::make_unique<TapLists>(sourceWidth, targetWidth, filter, support)),
      down_(std::make_unique<TapLists>(sourceHeight, targetHeight, filter, support)),
      intermediate_(targetWidth, sourceHeight, 0),
      sourceWidth_(sourceWidth),
      vector_(UseAvx2Kernels()) {}

RowResampler::~RowResampler() = default;

void RowResampler::AddRows(const std::uint8_t* rows, std::size_t stride, int firstRow, int count) {
  if (firstRow < 0 || count <= 0 || firstRow + count > intermediate_.height()) return;
  if (pendingCount_ > 0 && firstRow != pendingFirst_ + pendingCount_) Flush();
  if (pendingCount_ == 0 && count >= kBatchRows) {
    Pass(rows, stride, firstRow, count);
    return;
  }
  // A decoder's bands are short: they are gathered so the pass can split them between cores.
  const std::size_t rowBytes = static_cast<std::size_t>(sourceWidth_) * 3;
  if (pendingCount_ == 0) pendingFirst_ = firstRow;
  pending_.resize((static_cast<std::size_t>(pendingCount_) + count) * rowBytes);
  for (int y = 0; y < count; ++y) {
    std::memcpy(pending_.data() + (static_cast<std::size_t>(pendingCount_) + y) * rowBytes,
                rows + static_cast<std::size_t>(y) * stride, rowBytes);
  }
  pendingCount_ += count;
  if (pendingCount_ >= kBatchRows) Flush();
}

void RowResampler::Flush() {
  if (pendingCount_ == 0) return;
  Pass(pending_.data(), static_cast<std::size_t>(sourceWidth_) * 3, pendingFirst_, pendingCount_);
  pendingCount_ = 0;
}

void RowResampler::Pass(const std::uint8_t* rows, std::size_t stride, int firstRow, int count) {
  // Views that start at the rows in hand, so the pass indexes them from 0.
  const PixelRows in{const_cast<std::uint8_t*>(rows), stride, sourceWidth_, count};
  const PixelRows out{intermediate_.row(firstRow), intermediate_.stride(), intermediate_.width(),
                      count};
  const TapView taps = ViewOf(*across_);
  const int minRows = MinItems(3 * TotalTaps(*across_));
  if (!vector_) {
    ParallelFor(count, 1, minRows,
                [&](int y0, int y1) { HorizontalPassPortable(in, out, taps, y0, y1); });
    return;
  }
  ParallelFor(count, kHorizontalBlockRows, minRows, [&](int y0, int y1) {
    HorizontalPassAvx2(in, out, taps, y0, y1,
                       ThreadScratchFloats(HorizontalScratchFloats(sourceWidth_)));
  });
}

void RowResampler::Finish(Bitmap24& target) {
  Flush();
  const PixelRows in = RowsOf(intermediate_), out = RowsOf(target);
  const TapView taps = ViewOf(*down_);
  const long long tapsPerRow = 3LL * out.width * (TotalTaps(*down_) / down_->size() + 1);
  const bool vector = vector_;
  ParallelFor(out.height, 1, MinItems(tapsPerRow), [&](int y0, int y1) {
    if (vector) {
      VerticalPassAvx2(in, out, taps, y0, y1);
    } else {
      VerticalPassPortable(in, out, taps, y0, y1);
    }
  });
}

}  // namespace pixtrel
