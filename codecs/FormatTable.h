#pragma once
// Every picture format in one table: its names, extensions, reader, header probe and writer.
// The lists of formats (masks, conversion targets, --to, the window's choices) come from here.
// A new format needs its reader/writer pair and its row, and also its case in the few switches
// that still pick a routine per format (the resize and rotate commands, the window's resize
// tabs, the options' slots): the build refuses a switch that leaves a format out.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "codecs/ImageFormat.h"
#include "core/DecodedPicture.h"
#include "io/FileBytes.h"

namespace pixtrel {

// How a writer encodes: the quality of lossy formats, lossless for formats that have both.
struct EncodeSettings {
  int quality = 90;       // JPEG and lossy WebP, 0..100
  bool lossless = false;  // WebP
  // GIF: a truecolour picture gets a colour table of its own (GifQuantizer), optionally
  // dithered, instead of the fixed 216-colour palette the classic commands use.
  bool ownPalette = false;
  bool dither = false;
};

// What a writer gets: the picture (alpha only where the format keeps it) and the metadata blocks
// to carry (only for formats that carry them).
struct EncodeJob {
  Raster raster;  // the writer may take it
  const std::vector<std::uint8_t>* alpha = nullptr;
  const PictureMetadata* metadata = nullptr;
  EncodeSettings settings;
  // For formats with a transparent colour: the colour index of a colour-index raster that is
  // transparent, or -1.
  int transparentIndex = -1;
};

struct AnimationCodec;  // codecs/AnimationCodec.h

struct FormatRow {
  ImageFormat format;
  std::string_view key;    // the word pixtrel-batch and the settings use: "jpg", "png", ...
  std::string_view title;  // as the window shows it: "JPG", "PNG", "WebP", ...
  // Lower case, with the dot; the first is the one a conversion appends.
  std::vector<std::string_view> extensions;
  bool keepsAlpha = false;  // PNG and WebP; the others get alpha composited on white
  // GIF: a colour-index picture whose transparent pixels are all of one colour index keeps its
  // table and that index as the transparent colour instead.
  bool keepsTransparentIndex = false;
  bool carriesMetadata = false;  // EXIF, XMP and ICC: JPEG, PNG, WebP
  bool jpegMetadata = false;     // JPEG's own rules: EXIF completed as it requires, IPTC carried
  bool exifOrientation = false;  // the EXIF orientation tag says how to turn it upright
  bool losslessSource = true;    // its pixels come as stored (not JPEG; WebP says per file)
  // upright: apply the format's own turning (HEIF's transforms); EXIF orientation is applied by
  // the caller, so the other readers ignore it.
  DecodedPicture (*read)(std::span<const std::uint8_t> bytes, bool upright) = nullptr;
  // The size from the file's first bytes (up to 256 KiB), or nothing.
  std::optional<PictureSize> (*probe)(std::span<const std::uint8_t> head) = nullptr;
  // Empty for formats that are only read.
  Bytes (*write)(EncodeJob& job) = nullptr;
  // The file rebuilt from its compressed picture and the given blocks alone, nothing else of it
  // copied; nothing when it cannot be (damage, or blocks this format's rebuild cannot place), so
  // the picture is written anew instead. Empty for formats that hold no metadata (BMP).
  std::optional<Bytes> (*rebuild)(std::span<const std::uint8_t> bytes,
                                  const PictureMetadata& blocks) = nullptr;
  // Throws the writer's own error for a size it cannot write (WebP: 16383 pixels a side), so a
  // conversion can refuse from the source's header instead of after decoding; none: any size.
  void (*checkWrittenSize)(std::int64_t width, std::int64_t height) = nullptr;
  // GIF and WebP: every frame of an animation read and written (the functions above take the
  // first frame only).
  const AnimationCodec* animation = nullptr;

  bool writable() const { return write != nullptr; }
  // "*.png", or "*.jpg;*.jpeg;*.jpe": the file list's mask for the format.
  std::string mask() const;
};

const std::vector<FormatRow>& FormatTable();
const FormatRow& RowOf(ImageFormat format);
// The row whose key is the word ("jpg", "jpeg", "png", "webp", "gif", "bmp"; case ignored).
const FormatRow* RowForKey(std::string_view key);

}  // namespace pixtrel
