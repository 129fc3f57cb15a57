#include "imaging/RowResampler.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "concurrency/ParallelFor.h"
#include "concurrency/ThreadScratch.h"
#include "core/Limits.h"
#include "imaging/Kernels.h"
#include "imaging/ResampleKernels.h"
#include "imaging/TapListCache.h"
#include "imaging/TapLists.h"

namespace pixtrel {
namespace {

// Source rows passed at a time, so that even a 16-row decoder band keeps every core busy.
constexpr int kBatchRows = kHorizontalBlockRows * 8;

// Below this many channel-taps per thread a second thread costs more than it saves.
constexpr long long kTapsPerThread = 1 << 18;

PixelRows RowsOf(Bitmap24& bitmap) {
  return {bitmap.data(), bitmap.stride(), bitmap.width(), bitmap.height()};
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

RowResampler::RowResampler(int sourceWidth, int sourceHeight, Bitmap24& target,
                           FilterFunction filter, float support)
    : across_(SharedTapLists(sourceWidth, target.width(), filter, support)),
      down_(SharedTapLists(sourceHeight, target.height(), filter, support)),
      target_(target),
      sourceWidth_(sourceWidth),
      sourceHeight_(sourceHeight),
      vector_(UseAvx2Kernels()) {
  // The limits the whole intermediate was held to before the window replaced it.
  CheckPictureSize(target.width(), sourceHeight);
  const int rows = target.height();
  readyAt_.resize(static_cast<std::size_t>(rows));
  neededFrom_.resize(static_cast<std::size_t>(rows));
  // The window holds at most the rows between a waiting target row's first needed row and its
  // last one, plus the rows of one batch.
  int span = 0;
  for (int y = rows - 1; y >= 0; --y) {
    const TapList list = (*down_)[y];
    int low = sourceHeight, high = -1;
    for (int k = 0; k < list.count; ++k) {
      low = std::min(low, static_cast<int>(list.taps[k].index));
      high = std::max(high, static_cast<int>(list.taps[k].index));
    }
    readyAt_[y] = high + 1;
    neededFrom_[y] = y + 1 < rows ? std::min(low, neededFrom_[y + 1]) : low;
    span = std::max(span, readyAt_[y] - neededFrom_[y]);
  }
  window_ = Bitmap24::Uninitialised(target.width(), std::min(sourceHeight, span + kBatchRows));
}

RowResampler::~RowResampler() = default;

void RowResampler::AddRows(const std::uint8_t* rows, std::size_t stride, int firstRow, int count) {
  const int expected = next_ + pendingCount_;
  if (firstRow < expected) {
    const int late = expected - firstRow;
    if (late >= count) return;
    rows += static_cast<std::size_t>(late) * stride;
    firstRow = expected;
    count -= late;
  }
  count = std::min(count, sourceHeight_ - firstRow);
  if (count <= 0) return;
  if (firstRow > expected) {
    Flush();
    while (next_ < firstRow)
      Take(nullptr, 0, std::min(kBatchRows, firstRow - next_));
  }
  const std::size_t rowBytes = static_cast<std::size_t>(sourceWidth_) * 3;
  while (count > 0) {
    int n;
    if (pendingCount_ == 0 && (count >= kBatchRows || firstRow + count == sourceHeight_)) {
      n = std::min(count, kBatchRows);
      Take(rows, stride, n);
    } else {
      // A decoder's bands are short: they are gathered so the pass can split them between cores.
      n = std::min(count, kBatchRows - pendingCount_);
      if (pending_.empty()) pending_.resize(kBatchRows * rowBytes);
      for (int y = 0; y < n; ++y) {
        std::memcpy(pending_.data() + static_cast<std::size_t>(pendingCount_ + y) * rowBytes,
                    rows + static_cast<std::size_t>(y) * stride, rowBytes);
      }
      pendingCount_ += n;
      if (pendingCount_ == kBatchRows || next_ + pendingCount_ == sourceHeight_) Flush();
    }
    rows += static_cast<std::size_t>(n) * stride;
    firstRow += n;
    count -= n;
  }
}

void RowResampler::Flush() {
  const int count = pendingCount_;
  pendingCount_ = 0;
  if (count > 0) Take(pending_.data(), static_cast<std::size_t>(sourceWidth_) * 3, count);
}

void RowResampler::Finish() {
  Flush();
  while (next_ < sourceHeight_)
    Take(nullptr, 0, std::min(kBatchRows, sourceHeight_ - next_));
}

// Rows [next_, next_ + count), at most kBatchRows of them; null rows are black.
void RowResampler::Take(const std::uint8_t* rows, std::size_t stride, int count) {
  // Rows that no target row still to come reads are not passed at all.
  const int needed = done_ < target_.height() ? neededFrom_[done_] : sourceHeight_;
  const int skip = std::clamp(needed - next_, 0, count);
  if (skip > 0) {
    next_ += skip;
    windowFirst_ = next_;
    count -= skip;
    if (rows) rows += static_cast<std::size_t>(skip) * stride;
  }
  if (count == 0) return;
  const int held = next_ - windowFirst_;
  if (rows) {
    HorizontalPass(rows, stride, count, held);
  } else {
    const std::size_t rowBytes = static_cast<std::size_t>(window_.width()) * 3;
    for (int y = 0; y < count; ++y)
      std::memset(window_.row(held + y), 0, rowBytes);
  }
  next_ += count;
  WriteReadyRows();
  DropUnneededRows();
}

void RowResampler::HorizontalPass(const std::uint8_t* rows, std::size_t stride, int count,
                                  int windowRow) {
  // Views that start at the rows in hand, so the pass indexes them from 0.
  const PixelRows in{const_cast<std::uint8_t*>(rows), stride, sourceWidth_, count};
  const PixelRows out{window_.row(windowRow), window_.stride(), window_.width(), count};
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

void RowResampler::WriteReadyRows() {
  int end = done_;
  while (end < target_.height() && readyAt_[end] <= next_)
    ++end;
  if (end == done_) return;
  const PixelRows in{window_.data(), window_.stride(), window_.width(), next_ - windowFirst_,
                     windowFirst_};
  const PixelRows out = RowsOf(target_);
  const TapView taps = ViewOf(*down_);
  const long long tapsPerRow = 3LL * out.width * (TotalTaps(*down_) / down_->size() + 1);
  const int first = done_;
  const bool vector = vector_;
  ParallelFor(end - first, 1, MinItems(tapsPerRow), [&](int y0, int y1) {
    if (vector) {
      VerticalPassAvx2(in, out, taps, first + y0, first + y1);
    } else {
      VerticalPassPortable(in, out, taps, first + y0, first + y1);
    }
  });
  done_ = end;
}

void RowResampler::DropUnneededRows() {
  const int needed = done_ < target_.height() ? neededFrom_[done_] : sourceHeight_;
  const int first = std::min(needed, next_);
  if (first <= windowFirst_) return;
  const int kept = next_ - first;
  if (kept > 0) {
    std::memmove(window_.row(0), window_.row(first - windowFirst_),
                 static_cast<std::size_t>(kept) * window_.stride());
  }
  windowFirst_ = first;
}

}  // namespace pixtrel
