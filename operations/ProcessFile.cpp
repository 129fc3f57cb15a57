#include "operations/ProcessFile.h"

#include <algorithm>
#include <optional>
#include <string>

#include "codecs/Registry.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "core/Errors.h"
#include "imaging/CentreResample.h"
#include "imaging/DeepGeometry.h"
#include "imaging/FramePicture.h"
#include "imaging/Orientation.h"
#include "imaging/ResizePicture.h"
#include "imaging/Sharpen.h"
#include "imaging/TurnPicture.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/FitToSize.h"
#include "operations/HeaderFacts.h"
#include "operations/OutputChoices.h"
#include "operations/PictureFile.h"
#include "operations/ResizeFile.h"
#include "operations/UprightPicture.h"

namespace pixtrel {
namespace {

const FormatRow& SourceRow(const std::filesystem::path& source) {
  const std::string name = source.filename().string();
  const FormatRow* format = RowForFileName(name);
  if (!format) {
    throw Exception("Unknown picture file extension (" + source.extension().string() + ")");
  }
  return *format;
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
  if (picture.deep && method != ProcessMethod::Normal) {
    // The 16-bit samples resampled, and the 8-bit picture taken from them, so the two still
    // match and the writer keeps the extra bits.
    *picture.deep = ResampleDeep(*picture.deep, width, height);
    EightBitPicture eight = ReduceToEightBits(*picture.deep);
    picture.raster = std::move(eight.raster);
    picture.alpha = std::move(eight.alpha);
    return;
  }
  picture.deep.reset();
  if (method == ProcessMethod::Fast && !picture.alpha) {
    picture.raster = CentreResample(ToBitmap24(std::move(picture.raster)), width, height);
    return;
  }
  picture =
      ResizePicture(std::move(picture), width, height,
                    method == ProcessMethod::Normal ? ResizeMethod::Normal : ResizeMethod::Better);
}

// A source read for the job: decoded whole, or (the fast method, a format that scales while
// decoding) at the codec's smallest scale that still gives twice the size it is resampled to.
struct SourcePicture {
  DecodedPicture picture;
  Orientation toUpright;
  int storedWidth = 0, storedHeight = 0;  // the full picture's, as stored
};

// The codec scale, in eighths, for the fast method: the smallest of 1/8, 1/4 and 1/2 that
// leaves the part of the picture used at least twice the size it is resampled to, else the
// full size. (Only these scales have the codec's fast reduced transforms; the others cost
// about as much as the full size.)
int FastScaleEighths(const SizeGeometry& g) {
  for (int eighths : {1, 2, 4}) {
    if (std::int64_t{g.cropWidth} * eighths >= std::int64_t{16} * g.width &&
        std::int64_t{g.cropHeight} * eighths >= std::int64_t{16} * g.height) {
      return eighths;
    }
  }
  return 8;
}

SourcePicture ReadForJob(std::span<const std::uint8_t> bytes, const FormatRow& row,
                         const ProcessJob& job, bool keepDeep) {
  if (job.method == ProcessMethod::Fast && row.decodeScaled && row.readMetadata) {
    if (const std::optional<PictureSize> size = row.probe(bytes)) {
      SourcePicture read;
      read.picture.metadata = row.readMetadata(bytes);
      if (job.upright && row.orientation == OrientationSource::Exif &&
          !read.picture.metadata.exif.empty())
        read.toUpright = Orientation::FromExif(ExifOrientation(read.picture.metadata.exif));
      const Orientation turn = Then(read.toUpright, job.turn);
      const int width = turn.swapsSides() ? size->height : size->width;
      const int height = turn.swapsSides() ? size->width : size->height;
      // At full size too: the scaled decoder's integer transform is the faster one.
      const int eighths = FastScaleEighths(PlanSize(job.size, width, height, job.shrinkOnly));
      if (std::optional<Raster> scaled = row.decodeScaled(bytes, eighths)) {
        read.picture.raster = std::move(*scaled);
        read.picture.lossless = false;
        read.storedWidth = size->width;
        read.storedHeight = size->height;
        return read;
      }
    }
  }
  StoredPicture stored = ReadStored(bytes, row, job.upright, keepDeep);
  SourcePicture read{std::move(stored.picture), stored.toUpright, 0, 0};
  read.storedWidth = RasterWidth(read.picture.raster);
  read.storedHeight = RasterHeight(read.picture.raster);
  return read;
}

struct CropRect {
  int left = 0, top = 0, width = 0, height = 0;
};

// The geometry's crop of a width x height picture, on the picture as decoded (smaller when
// decoded at a scale), rounded to whole pixels of it.
CropRect ScaledCrop(const SizeGeometry& g, int width, int height, int decodedWidth,
                    int decodedHeight) {
  if (decodedWidth == width && decodedHeight == height)
    return {g.cropLeft, g.cropTop, g.cropWidth, g.cropHeight};
  const auto scale = [](int value, int decoded, int full) {
    return static_cast<int>((std::int64_t{value} * decoded + full / 2) / full);
  };
  CropRect c;
  c.width = std::clamp(scale(g.cropWidth, decodedWidth, width), 1, decodedWidth);
  c.height = std::clamp(scale(g.cropHeight, decodedHeight, height), 1, decodedHeight);
  c.left = std::clamp(scale(g.cropLeft, decodedWidth, width), 0, decodedWidth - c.width);
  c.top = std::clamp(scale(g.cropTop, decodedHeight, height), 0, decodedHeight - c.height);
  return c;
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
  if (job.maxBytes && (!target.lossyQuality || job.lossless)) {
    std::string keys;
    for (const FormatRow* listed : Registry()) {
      const FormatRow& row = *listed;
      if (row.lossyQuality) keys += (keys.empty() ? "" : " or ") + std::string(row.key);
    }
    throw Exception("--max-size needs an output written at a quality (--to " + keys +
                    ", not lossless)");
  }
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
    const std::optional<PictureSize> seen =
        ResizeFile(source, output, sourceRow, settings, counted);
    if (const std::optional<HeaderFacts> facts =
            ReadHeaderFacts(ReadFileBytes(source), sourceRow, job.upright)) {
      result.sourceWidth = facts->width;
      result.sourceHeight = facts->height;
      result.captured = facts->captured;
    }
    if (seen) {  // decoded whole: its size as turned upright, whatever the header could tell
      result.sourceWidth = seen->width;
      result.sourceHeight = seen->height;
    }
  } else {
    const Bytes bytes = ReadFileBytes(source);
    // 16-bit samples follow the picture's turns and resizing only for a writer that keeps them,
    // and not through sharpening, which works on the 8-bit picture.
    SourcePicture read = ReadForJob(
        bytes, sourceRow, job, target.keepsDeepSamples && job.sharpen == SharpenStrength::None);
    DecodedPicture& picture = read.picture;
    const PictureMetadata metadata = picture.metadata;
    result.captured = ReadCaptureDate(metadata.exif);
    const bool lossless = picture.lossless;
    const Orientation upright = read.toUpright;
    result.sourceWidth = upright.swapsSides() ? read.storedHeight : read.storedWidth;
    result.sourceHeight = upright.swapsSides() ? read.storedWidth : read.storedHeight;
    // Sized as seen after the turn (orientation and the user's turn in one step); the geometry
    // is planned on the full size, whatever size the picture was decoded at.
    const Orientation turn = Then(upright, job.turn);
    const bool swaps = turn.swapsSides();
    const int width = swaps ? read.storedHeight : read.storedWidth;
    const int height = swaps ? read.storedWidth : read.storedHeight;
    const SizeGeometry g = PlanSize(job.size, width, height, job.shrinkOnly);
    if (job.method == ProcessMethod::Fast && !g.cropped(width, height)) {
      // Resampled as stored and the result turned: the turn then moves a small picture
      // instead of the whole decode.
      const int w = swaps ? g.height : g.width, h = swaps ? g.width : g.height;
      if (RasterWidth(picture.raster) != w || RasterHeight(picture.raster) != h)
        Resample(picture, w, h, job.method);
      TurnPicture(picture, turn);
    } else {
      TurnPicture(picture, turn);
      if (g.cropped(width, height)) {
        const CropRect c =
            ScaledCrop(g, width, height, RasterWidth(picture.raster), RasterHeight(picture.raster));
        picture = CropPicture(std::move(picture), c.left, c.top, c.width, c.height);
      }
      if (RasterWidth(picture.raster) != g.width || RasterHeight(picture.raster) != g.height)
        Resample(picture, g.width, g.height, job.method);
    }
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
    // A size to fit is met by the quality, so the output is lossy even from a lossless source.
    OutputChoices choices = ChoicesFor(job.quality, (lossless && !job.maxBytes) || job.lossless,
                                       job.metadata, job.upright || job.turn != TurnStep::None);
    choices.ownPalette = true;  // a GIF gets a colour table made for its picture
    choices.progressive = job.progressive;
    choices.optimise = job.optimise;
    if (job.maxBytes) {
      const int w = RasterWidth(picture.raster), h = RasterHeight(picture.raster);
      const FittedOutput fitted =
          EncodeWithin(*job.maxBytes, job.quality, w, h, [&](int quality, double scale) {
            DecodedPicture copy = picture;
            if (scale < 1) Resample(copy, ScaledSide(w, scale), ScaledSide(h, scale), job.method);
            OutputChoices at = choices;
            at.quality = quality;
            return EncodePicture(std::move(copy), metadata, target, at);
          });
      result.quality = fitted.quality;
      result.scale = fitted.scale;
      counted.put(output, fitted.bytes);
    } else {
      counted.put(output, EncodePicture(std::move(picture), metadata, target, choices));
    }
  }
  result.bytes = counted.size_;
  if (const std::optional<PictureSize> size = target.probe(counted.head_)) {
    result.width = size->width;
    result.height = size->height;
  }
  return result;
}

}  // namespace pixtrel
