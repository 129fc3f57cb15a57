#include "codecs/FormatTable.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

#include "codecs/AnimationCodec.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/bmp/BmpProbe.h"
#include "codecs/gif/GifPicture.h"
#include "codecs/gif/GifProbe.h"
#include "codecs/gif/GifQuantizer.h"
#include "codecs/gif/GifRaster.h"
#include "codecs/gif/GifRebuild.h"
#include "codecs/gif/GifWriter.h"
#include "codecs/heif/HeifFile.h"
#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegProbe.h"
#include "codecs/jpeg/JpegRebuild.h"
#include "codecs/png/PngFile.h"
#include "codecs/png/PngRebuild.h"
#include "codecs/webp/WebpFile.h"
#include "codecs/webp/WebpRebuild.h"

namespace pixtrel {
namespace {

const PictureMetadata kNoMetadata;

const PictureMetadata& MetadataOf(const EncodeJob& job) {
  return job.metadata ? *job.metadata : kNoMetadata;
}

DecodedPicture ReadJpeg(std::span<const std::uint8_t> bytes, bool) {
  TJPEGImage jpeg = JpegFromBytes(Bytes(bytes.begin(), bytes.end()));
  DecodedPicture picture;
  picture.raster = TakeJpegRaster(jpeg);
  picture.metadata = ReadJpegMetadata(bytes);
  picture.lossless = false;
  return picture;
}

Bytes WriteJpeg(EncodeJob& job) {
  TJPEGImage jpeg;
  SetJpegRaster(jpeg, std::move(job.raster));
  jpeg.Quality = job.settings.quality;
  return EncodeJpegWithBlocks(jpeg, MetadataOf(job));
}

std::optional<Bytes> RebuildJpegFile(std::span<const std::uint8_t> bytes,
                                     const PictureMetadata& blocks) {
  return RebuildJpeg(bytes, blocks);
}

// PNG and WebP rebuilds carry no blocks: with blocks to keep, the picture is encoded anew.
std::optional<Bytes> RebuildPngFile(std::span<const std::uint8_t> bytes,
                                    const PictureMetadata& blocks) {
  if (!blocks.empty()) return std::nullopt;
  return RebuildPng(bytes);
}

std::optional<Bytes> RebuildWebpFile(std::span<const std::uint8_t> bytes,
                                     const PictureMetadata& blocks) {
  if (!blocks.empty()) return std::nullopt;
  return RebuildWebp(bytes);
}

// A GIF carries no blocks we keep; its rebuild leaves its comments and extensions behind.
std::optional<Bytes> RebuildGifFile(std::span<const std::uint8_t> bytes, const PictureMetadata&) {
  return RebuildGif(bytes);
}

DecodedPicture ReadPng(std::span<const std::uint8_t> bytes, bool) {
  return ReadPngBytes(bytes);
}

Bytes WritePng(EncodeJob& job) {
  return EncodePng(job.raster, job.alpha, MetadataOf(job));
}

DecodedPicture ReadWebp(std::span<const std::uint8_t> bytes, bool) {
  return ReadWebpBytes(bytes);
}

Bytes WriteWebp(EncodeJob& job) {
  WebpSettings settings;
  settings.lossless = job.settings.lossless;
  settings.quality = job.settings.quality;
  return EncodeWebp(job.raster, job.alpha, MetadataOf(job), settings);
}

DecodedPicture ReadGif(std::span<const std::uint8_t> bytes, bool) {
  return DecodeGifPicture(bytes);
}

Bytes WriteGif(EncodeJob& job) {
  TGIFImage gif;
  const auto* truecolour = std::get_if<Bitmap24>(&job.raster);
  // A colour-index picture keeps its table, unless it comes with an alpha plane its table cannot
  // say (EncodePicture hands on a one-index transparency as transparentIndex).
  if (job.settings.ownPalette && (truecolour || job.alpha)) {
    const Bitmap24 expanded = truecolour ? Bitmap24() : ToBitmap24(job.raster);
    const QuantizedPicture quantized =
        QuantizeForGif(truecolour ? *truecolour : expanded, job.alpha, job.settings.dither);
    SetGifRaster(gif, quantized.indices);
    SetGifTransparentIndex(gif, quantized.transparentIndex);
    return EncodeGif(gif);
  }
  SetGifRaster(gif, job.raster);
  SetGifTransparentIndex(gif, job.transparentIndex);
  return EncodeGif(gif);
}

DecodedPicture ReadBmp(std::span<const std::uint8_t> bytes, bool) {
  DecodedPicture picture;
  picture.raster = DecodeBmp(bytes);
  return picture;
}

Bytes WriteBmp(EncodeJob& job) {
  return EncodeBmp(job.raster);
}

DecodedPicture ReadHeif(std::span<const std::uint8_t> bytes, bool upright) {
  return ReadHeifBytes(bytes, upright);
}

std::vector<FormatRow> MakeTable() {
  std::vector<FormatRow> rows;
  // In the order pixtrel-batch and the window offer them as conversion targets.
  rows.push_back({.format = ImageFormat::Jpeg,
                  .key = "jpg",
                  .title = "JPG",
                  .extensions = {".jpg", ".jpeg", ".jpe"},
                  .carriesMetadata = true,
                  .jpegMetadata = true,
                  .exifOrientation = true,
                  .losslessSource = false,
                  .read = ReadJpeg,
                  .probe = ProbeJpeg,
                  .write = WriteJpeg,
                  .rebuild = RebuildJpegFile});
  rows.push_back({.format = ImageFormat::Png,
                  .key = "png",
                  .title = "PNG",
                  .extensions = {".png"},
                  .keepsAlpha = true,
                  .carriesMetadata = true,
                  .exifOrientation = true,
                  .read = ReadPng,
                  .probe = ProbePng,
                  .write = WritePng,
                  .rebuild = RebuildPngFile});
  rows.push_back({.format = ImageFormat::Webp,
                  .key = "webp",
                  .title = "WebP",
                  .extensions = {".webp"},
                  .keepsAlpha = true,
                  .carriesMetadata = true,
                  .exifOrientation = true,
                  .read = ReadWebp,
                  .probe = ProbeWebp,
                  .write = WriteWebp,
                  .rebuild = RebuildWebpFile,
                  .checkWrittenSize = CheckWebpSize,
                  .animation = &WebpAnimationCodec()});
  rows.push_back({.format = ImageFormat::Gif,
                  .key = "gif",
                  .title = "GIF",
                  .extensions = {".gif"},
                  .keepsTransparentIndex = true,
                  .read = ReadGif,
                  .probe = ProbeGif,
                  .write = WriteGif,
                  .rebuild = RebuildGifFile,
                  .animation = &GifAnimationCodec()});
  rows.push_back({.format = ImageFormat::Bmp,
                  .key = "bmp",
                  .title = "BMP",
                  .extensions = {".bmp"},
                  .read = ReadBmp,
                  .probe = ProbeBmp,
                  .write = WriteBmp});
  // Read only; its own transforms turn it upright, not the EXIF tag.
  rows.push_back({.format = ImageFormat::Heif,
                  .key = "heif",
                  .title = "HEIC/AVIF",
                  .extensions = {".heic", ".heif", ".avif"},
                  .losslessSource = false,
                  .read = ReadHeif,
                  .probe = ProbeHeif});
  return rows;
}

}  // namespace

std::string FormatRow::mask() const {
  std::string text;
  for (std::string_view extension : extensions) {
    if (!text.empty()) text += ';';
    text += '*';
    text += extension;
  }
  return text;
}

const std::vector<FormatRow>& FormatTable() {
  static const std::vector<FormatRow> table = MakeTable();
  return table;
}

const FormatRow& RowOf(ImageFormat format) {
  for (const FormatRow& row : FormatTable()) {
    if (row.format == format) return row;
  }
  // Only a format missing from MakeTable gets here: a fault of this program, not of a file.
  throw std::logic_error("the format table has no row for format " +
                         std::to_string(static_cast<int>(format)));
}

const FormatRow* RowForKey(std::string_view key) {
  std::string word(key);
  std::transform(word.begin(), word.end(), word.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (word == "jpeg") word = "jpg";
  for (const FormatRow& row : FormatTable()) {
    if (row.key == word) return &row;
  }
  return nullptr;
}

}  // namespace pixtrel
