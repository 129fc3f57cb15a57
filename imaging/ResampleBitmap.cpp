#include "imaging/ResampleBitmap.h"

#include "core/Errors.h"
#include "imaging/RowResampler.h"
#include "imaging/TapLists.h"

namespace pixtrel {
void ResampleBitmap(const Bitmap24& source, Bitmap24& target, FilterFunction filter,
                    float support) {
  const int sourceWidth = source.width(), sourceHeight = source.height();
  const int targetWidth = target.width(), targetHeight = target.height();
  if (sourceWidth < 1 || sourceHeight < 1) throw Exception("Source bitmap too small");
  CheckSupport(support);
  if (targetWidth < 1 || targetHeight < 1) return;  // no pixel to compute

  // Everything that can fail happens before the target is touched.
  RowResampler resampler(sourceWidth, sourceHeight, target, filter, support);
  // A target row is written only once every source row up to the last one it reads is in: when
  // the source is the target (same size), no row is overwritten before it has been read.
  resampler.AddRows(source.data(), source.stride(), 0, sourceHeight);
  resampler.Finish();
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
