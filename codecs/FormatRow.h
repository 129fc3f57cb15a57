#pragma once
// A picture format's row in the registry: everything the rest of the program knows of it, as
// plain data and function pointers into its codec's folder. The commands, the window's tabs and
// masks, pixtrel-batch's words and the packaged lists all come from the rows; the operations pick
// their route by the optional capabilities a row has, never by its key.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Bitmap24.h"
#include "core/DecodedPicture.h"
#include "core/FastStretch.h"
#include "io/FileBytes.h"

namespace pixtrel {

// How a writer encodes: the quality of lossy formats, lossless for formats that have both.
struct EncodeSettings {
  int quality = 90;       // JPEG, lossy WebP, AVIF, HEIC and JPEG XL, 0..100
  bool lossless = false;  // WebP, AVIF and JPEG XL
  // GIF: a truecolour picture gets a colour table of its own (GifQuantizer), optionally
  // dithered, instead of the fixed 216-colour palette the classic commands use.
  bool ownPalette = false;
  bool dither = false;
  // JPEG: progressive coding (a resized progressive JPEG stays progressive).
  bool progressive = false;
  // JPEG: Huffman tables made for the picture (a smaller file, the same pixels).
  bool optimise = false;
};

// What a writer gets: the picture (alpha only where the format keeps it) and the metadata blocks
// to carry (only for formats that carry them).
struct EncodeJob {
  Raster raster;  // the writer may take it
  const std::vector<std::uint8_t>* alpha = nullptr;
  const PictureMetadata* metadata = nullptr;
  // The same picture at 16 bits a sample, for writers that store more than 8 (AVIF, HEIC); they
  // use it only while it still matches the raster (DeepSamplesMatch).
  const DeepSamples* deep = nullptr;
  EncodeSettings settings;
  // For formats with a transparent colour: the colour index of a colour-index raster that is
  // transparent, or -1.
  int transparentIndex = -1;
};

// Where the picture's orientation lives: nowhere, in its EXIF block (applied by the caller), or
// in the container's own transforms (applied by the reader when asked to read upright).
enum class OrientationSource { None, Exif, Container };

// When a written file is lossless: never (JPEG), when its source was (WebP), always (PNG, GIF,
// BMP). Read-only formats say Never.
enum class LosslessWhen { Never, FromSource, Always };

// The metadata blocks a file of the format holds and its reader and writer carry.
struct MetadataCarried {
  bool exif = false;
  bool xmp = false;
  bool icc = false;
  bool iptc = false;
  bool any() const { return exif || xmp || icc || iptc; }
};

// What decoding a pixel costs beyond what the header probe already counts
// (PictureSize::decodingBytesPerPixel): the batch's memory budget adds it.
struct MemoryCost {
  int decodeBytesPerPixel = 0;
};

// Receives rows [firstRow, firstRow + count) of a picture being decoded, 24 bits a pixel,
// stride bytes apart.
using BandRows =
    std::function<void(const std::uint8_t* rows, std::size_t stride, int firstRow, int count)>;

// A picture's stored size and coding, read from its header before the first band.
struct StoredLayout {
  int width = 0;
  int height = 0;
  bool progressive = false;
};

// A file of colour indices opened as it is (GIF): what the routes that keep its colour table
// need of it. The file's other settings (its screen's background colour, aspect ratio) stay with
// it when it is written anew.
class IndexedFile {
 public:
  virtual ~IndexedFile() = default;
  virtual int width() const = 0;  // the logical screen
  virtual int height() const = 0;
  // The first frame's indices with its colour table, when it covers the whole screen; indices
  // past a short table are left as they are.
  virtual std::optional<PaletteBitmap> wholeScreenIndices() const = 0;
  // The first frame's transparent colour index, or -1.
  virtual int transparentIndex() const = 0;
  // The first frame as one raster: its indices and table when it covers the screen exactly,
  // else drawn opaque on a white screen (transparency not applied).
  virtual Raster firstFrame() const = 0;
  // The first frame drawn scaled into rect of target, honouring transparency.
  virtual void draw(Bitmap24& target, const Rect& rect) const = 0;
  // The file with the raster as its only picture (a truecolour raster reduced to the fixed
  // palette), transparentIndex its transparent colour (-1: none).
  virtual Bytes rewrite(const Raster& raster, int transparentIndex) = 0;
};

struct AnimationCodec;  // codecs/AnimationCodec.h

struct FormatRow {
  std::string_view key = {};                      // pixtrel-batch's word and the settings': "jpg"
  std::vector<std::string_view> aliases = {};     // other words taken for it: "jpeg"
  std::string_view title = {};                    // as the window shows it: "JPG", "WebP"
  std::string_view name = {};                     // in sentences: "JPEG" ("resize JPEG files")
  std::vector<std::string_view> extensions = {};  // lower case, with the dot; the first is appended
  std::vector<std::string_view> mimeTypes = {};   // the desktop file's and the metainfo's
  // The viewer's and the preview's extensions when not all of extensions (empty: all).
  std::vector<std::string_view> displayExtensions = {};
  // The place among the resize commands and the window's resize tabs; -1: not resized.
  int resizeRank = -1;
  bool keepsAlpha = false;  // the others get alpha composited on white
  // Writes more than 8 bits a sample from EncodeJob::deep (the one-pass command then resizes and
  // turns the 16-bit samples along with the picture).
  bool keepsDeepSamples = false;
  // Resized and turned colour-index pictures stay colour-index pictures; the others are
  // expanded to 24 bits first.
  bool keepsPalette = false;
  // A colour-index picture whose transparent pixels are all of one colour index keeps its table
  // and that index as the transparent colour instead.
  bool keepsTransparentIndex = false;
  bool animated = false;  // files may hold several frames (see animation)
  MetadataCarried carries = {};
  bool jpegMetadata = false;  // blocks held to JPEG's rules: EXIF completed, IPTC carried
  OrientationSource orientation = OrientationSource::None;
  bool lossyQuality = false;  // written at the save quality
  LosslessWhen lossless = LosslessWhen::Always;
  MemoryCost memory = {};

  // The size from the file's first bytes (up to 1 MiB), or nothing.
  std::optional<PictureSize> (*probe)(std::span<const std::uint8_t> head) = nullptr;
  // The picture as stored. upright: apply the container's own transforms (OrientationSource::
  // Container); an EXIF orientation is applied by the caller, so the other readers ignore it.
  DecodedPicture (*decode)(std::span<const std::uint8_t> bytes, bool upright) = nullptr;
  // Null for formats that are only read.
  Bytes (*encode)(EncodeJob& job) = nullptr;

  // Optional capabilities; the operations take the route a capability opens when it is there.
  // The file rebuilt from its compressed picture and the given blocks alone, nothing else of it
  // copied; nothing when it cannot be (damage, or blocks this format's rebuild cannot place), so
  // the picture is written anew instead. Null for formats that hold no metadata (BMP).
  std::optional<Bytes> (*rebuild)(std::span<const std::uint8_t> bytes,
                                  const PictureMetadata& blocks) = nullptr;
  // The metadata blocks alone, read without decoding the picture, as the writer takes them.
  PictureMetadata (*readMetadata)(std::span<const std::uint8_t> bytes) = nullptr;
  // The picture decoded as stored, band by band so that the full-size picture is never held:
  // layoutKnown gets its stored size once the header is read, before anything is decoded; then
  // rows gets the bands in order. Without rows the whole picture is decoded and returned.
  Raster (*decodeBands)(Bytes bytes, const std::function<void(const StoredLayout&)>& layoutKnown,
                        const BandRows* rows) = nullptr;
  // For display only: the picture as stored, decoded fast at about the size shownFor (given its
  // stored size) asks for, never smaller.
  Raster (*decodeForDisplay)(
      Bytes bytes, const std::function<PictureSize(PictureSize stored)>& shownFor) = nullptr;
  // The picture as stored at eighths/8 of its size (1..8, sides rounded up) by the codec's own
  // scaling, far faster than the full decode; nothing when this file cannot be (its colours
  // need what only the full decode applies).
  std::optional<Raster> (*decodeScaled)(std::span<const std::uint8_t> bytes, int eighths) = nullptr;
  // Opens a colour-index file for the routes that keep its table (GIF).
  std::unique_ptr<IndexedFile> (*openIndexed)(std::span<const std::uint8_t> bytes) = nullptr;
  // Turned on its compressed data without loss when the user asks (JPEG).
  bool turnsWithoutLoss = false;
  // Throws the writer's own error for a size it cannot write (WebP: 16383 pixels a side), so a
  // conversion can refuse from the source's header instead of after decoding; null: any size.
  void (*checkWrittenSize)(std::int64_t width, std::int64_t height) = nullptr;
  // Every frame of an animation read and written (decode and encode take the first frame only).
  const AnimationCodec* animation = nullptr;
  // Takes another format's compressed data over as it is, so nothing is decoded and nothing is
  // lost (JPEG XL from JPEG): the key of that format, and the recompression, given the data and
  // its size from its header. It throws for files it cannot take; those are decoded instead.
  std::string_view recompressFrom = {};
  Bytes (*recompress)(std::span<const std::uint8_t> bytes, PictureSize size) = nullptr;

  bool writable() const { return encode != nullptr; }
  bool resizable() const { return resizeRank >= 0; }
  // "*.png", or "*.jpg;*.jpeg;*.jpe": the file list's mask for the format.
  std::string mask() const;
};

}  // namespace pixtrel
