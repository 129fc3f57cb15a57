#include "imaging/ResampleBitmap.h"

#include <memory>

#include "formats/Errors.h"
#include "imaging/ParallelFor.h"
#include "imaging/ResampleKernels.h"
#include "imaging/TapLists.h"

namespace pixtrel {
namespace {

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

void HorizontalPass(const Bitmap24& source, Bitmap24& intermediate, const TapLists& lists,
                    bool vector) {
  const PixelRows in = RowsOf(source), out = RowsOf(intermediate);
  const TapView taps = ViewOf(lists);
  const int minRows = MinItems(3 * TotalTaps(lists));
  if (!vector) {
    ParallelFor(in.height, 1, minRows,
                [&](int y0, int y1) { HorizontalPassPortable(in, out, taps, y0, y1); });
    return;
  }
  ParallelFor(in.height, kHorizontalBlockRows, minRows, [&](int y0, int y1) {
    std::unique_ptr<float[]> scratch(new float[HorizontalScratchFloats(in.width)]);
    HorizontalPassAvx2(in, out, taps, y0, y1, scratch.get());
  });
}

void VerticalPass(const Bitmap24& intermediate, Bitmap24& target, const TapLists& lists,
                  bool vector) {
  const PixelRows in = RowsOf(intermediate), out = RowsOf(target);
  const TapView taps = ViewOf(lists);
  const long long tapsPerRow = 3LL * out.width * (TotalTaps(lists) / lists.size() + 1);
  ParallelFor(out.height, 1, MinItems(tapsPerRow), [&](int y0, int y1) {
    if (vector) {
      VerticalPassAvx2(in, out, taps, y0, y1);
    } else {
      VerticalPassPortable(in, out, taps, y0, y1);
    }
  });
}

}  // namespace

void ResampleBitmap(const Bitmap24& source, Bitmap24& target, FilterFunction filter,
                    float support) {
  const int sourceWidth = source.width(), sourceHeight = source.height();
  const int targetWidth = target.width(), targetHeight = target.height();
  if (sourceWidth < 1 || sourceHeight < 1) throw Exception("Source bitmap too small");
  CheckSupport(support);
  if (targetWidth < 1 || targetHeight < 1) return;  // no pixel to compute

  // Everything that can fail happens before the target is touched.
  const TapLists across(sourceWidth, targetWidth, filter, support);
  const TapLists down(sourceHeight, targetHeight, filter, support);
  Bitmap24 intermediate = Bitmap24::Uninitialised(targetWidth, sourceHeight);

  const bool vector = UseAvx2Kernels();
  HorizontalPass(source, intermediate, across, vector);
  // The source is read completely before the first target byte is written.
  VerticalPass(intermediate, target, down, vector);
}

void ResampleBitmap(Raster& source, Bitmap24& target, FilterFunction filter, float support) {
  if (RasterWidth(source) < 1 || RasterHeight(source) < 1) {
    throw Exception("Source bitmap too small");
  }
  CheckSupport(support);
  if (!std::holds_alternative<Bitmap24>(source)) source = ToBitmap24(std::move(source));
  ResampleBitmap(std::get<Bitmap24>(source), target, filter, support);
}

}  // namespace pixtrel
