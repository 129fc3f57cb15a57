#include "operations/ProcessFile.h"

#include <algorithm>
#include <optional>
#include <string>

#include "codecs/FormatTable.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "core/Errors.h"
#include "imaging/CentreResample.h"
#include "imaging/FramePicture.h"
#include "imaging/Orientation.h"
#include "imaging/ResizePicture.h"
#include "imaging/Sharpen.h"
#include "imaging/TurnPicture.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/HeaderFacts.h"
#include "operations/OutputChoices.h"
#include "operations/PictureFile.h"
#include "operations/ResizeFile.h"
#include "operations/UprightPicture.h"

namespace pixtrel {
namespace {

const FormatRow& SourceRow(const std::filesystem::path& source) {
  const std::string name = source.filename().string();
  const std::optional<ImageFormat> format = FormatFromExtension(name);
  if (!format) {
    throw Exception("Unknown picture file extension (" + source.extension().string() + ")");
  }
  return RowOf(*format);
}

const FormatRow& TargetRow(const ProcessJob& job, const std::filesystem::path& source) {
  const FormatRow& row = job.to == "keep" ? SourceRow(source) : [&]() -> const FormatRow& {
    const FormatRow* found = RowForKey(job.to);
    if (!found) throw Exception("Unknown output format " + job.to);
    return *found;
  }();
  if (!row.writable()) {
    throw Exception("Cannot write " + std::string(row.title) +
                    " files: choose another format with --to");
  }
  return row;
}

// The user's turn after the orientation: a mirror first, then clockwise quarter turns.
Orientation Then(Orientation o, TurnStep step) {
  switch (step) {
    case TurnStep::None:
      return o;
    case TurnStep::Right:
      return {o.mirror, (o.clockwiseQuarters + 1) % 4};
    case TurnStep::Left:
      return {o.mirror, (o.clockwiseQuarters + 3) % 4};
    case TurnStep::Half:
      return {o.mirror, (o.clockwiseQuarters + 2) % 4};
    case TurnStep::FlipH:  // a mirror after a turn is the mirror first, turned the other way
      return {!o.mirror, (4 - o.clockwiseQuarters) % 4};
    case TurnStep::FlipV:
      return {!o.mirror, (6 - o.clockwiseQuarters) % 4};
  }
  return o;
}

// Exactly what a resize tab does: the same routine, so the same bytes.
bool IsResizeTabJob(const ProcessJob& job, const FormatRow& source, const FormatRow& target) {
  return job.size.kind == SizeRule::Kind::Long && job.method != ProcessMethod::Fast &&
         job.turn == TurnStep::None && &source == &target && !job.lossless && !job.progressive &&
         !job.optimise && job.sharpen == SharpenStrength::None && job.background == 0xFFFFFF &&
         !job.maxBytes;
}

void Resample(DecodedPicture& picture, int width, int height, ProcessMethod method) {
  picture.deep.reset();
  if (method == ProcessMethod::Fast && !picture.alpha) {
    picture.raster = CentreResample(ToBitmap24(std::move(picture.raster)), width, height);
    return;
  }
  picture =
      ResizePicture(std::move(picture), width, height,
                    method == ProcessMethod::Normal ? ResizeMethod::Normal : ResizeMethod::Better);
}

// Counts what goes to the real sink.
class CountingSink : public OutputSink {
 public:
  explicit CountingSink(OutputSink& next) : next_(next) {}
  void put(const FilePath& path, std::span<const std::uint8_t> bytes) override {
    size_ = static_cast<std::int64_t>(bytes.size());
    head_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                    std::min<std::size_t>(bytes.size(), 1 << 18)));
    next_.put(path, bytes);
  }
  std::int64_t size_ = 0;
  Bytes head_;

 private:
  OutputSink& next_;
};

}  // namespace

std::string OutputFormatKey(const ProcessJob& job, const std::filesystem::path& source) {
  return std::string(TargetRow(job, source).key);
}

ProcessedFile ProcessFile(const std::filesystem::path& source, const std::filesystem::path& output,
                          const ProcessJob& job, OutputSink& sink) {
  const FormatRow& sourceRow = SourceRow(source);
  const FormatRow& target = TargetRow(job, source);
  if (job.maxBytes) throw Exception("--max-size is not available yet");
  CountingSink counted(sink);
  ProcessedFile result;

  if (IsResizeTabJob(job, sourceRow, target)) {
    ResizeSettings settings;
    settings.method =
        job.method == ProcessMethod::Normal ? ResizeMethod::Normal : ResizeMethod::Better;
    settings.n = job.size.a;
    settings.jpegQuality = job.quality;
    settings.upright = job.upright;
    settings.metadata = job.metadata;
    settings.shrinkOnly = job.shrinkOnly;
    ResizeFile(source, output, sourceRow.format, settings, counted);
    if (const std::optional<HeaderFacts> facts =
            ReadHeaderFacts(ReadFileBytes(source), sourceRow, job.upright)) {
      result.sourceWidth = facts->width;
      result.sourceHeight = facts->height;
      result.captured = facts->captured;
    }
  } else {
    const Bytes bytes = ReadFileBytes(source);
    StoredPicture stored = ReadStored(bytes, sourceRow.format, job.upright);
    DecodedPicture picture = std::move(stored.picture);
    const PictureMetadata metadata = picture.metadata;
    result.captured = ReadCaptureDate(metadata.exif);
    const bool lossless = picture.lossless;
    const Orientation upright = stored.toUpright;
    const int storedWidth = RasterWidth(picture.raster),
              storedHeight = RasterHeight(picture.raster);
    result.sourceWidth = upright.swapsSides() ? storedHeight : storedWidth;
    result.sourceHeight = upright.swapsSides() ? storedWidth : storedHeight;
    // Turned first (orientation and the user's turn in one step), then sized as seen.
    TurnPicture(picture, Then(upright, job.turn));
    const int width = RasterWidth(picture.raster), height = RasterHeight(picture.raster);
    const SizeGeometry g = PlanSize(job.size, width, height, job.shrinkOnly);
    if (g.cropped(width, height))
      picture = CropPicture(std::move(picture), g.cropLeft, g.cropTop, g.cropWidth, g.cropHeight);
    if (g.resampled()) Resample(picture, g.width, g.height, job.method);
    // Only a picture made smaller is sharpened: an enlarged one has no detail to bring back.
    const bool smaller = g.width < g.cropWidth || g.height < g.cropHeight;
    if (smaller && job.sharpen != SharpenStrength::None) {
      const Bitmap24 colours = ToBitmap24(std::move(picture.raster));
      picture.raster = Sharpen(colours, job.sharpen == SharpenStrength::Light ? 77 : 154);
    }
    if (g.padded()) {
      picture = PadPicture(std::move(picture), g.canvasWidth, g.canvasHeight, g.left, g.top,
                           job.background);
    }
    if (picture.alpha && !target.keepsAlpha && job.background != 0xFFFFFF)
      LayOverColour(picture, job.background);
    OutputChoices choices = ChoicesFor(job.quality, lossless || job.lossless, job.metadata,
                                       job.upright || job.turn != TurnStep::None);
    choices.ownPalette = true;  // a GIF gets a colour table made for its picture
    choices.progressive = job.progressive;
    choices.optimise = job.optimise;
    counted.put(output, EncodePicture(std::move(picture), metadata, target.format, choices));
  }
  result.bytes = counted.size_;
  if (const std::optional<PictureSize> size = target.probe(counted.head_)) {
    result.width = size->width;
    result.height = size->height;
  }
  return result;
}

}  // namespace pixtrel
