#include "formats/HeifFile.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "formats/HeifDerivedImages.h"
#include "formats/HeifHandles.h"
#include "formats/HeifStructure.h"
#include "formats/Limits.h"
#include "formats/QuietStderr.h"

namespace pixtrel {
namespace {

using heif::Check;
using heif::Fail;

// libheif registers its codecs once per process; the count is never released, so the codecs
// stay for every later read.
void InitialiseOnce() {
  static const bool initialised = [] {
    heif_init(nullptr);
    return true;
  }();
  (void)initialised;
}

heif::Context OpenContext(std::span<const std::uint8_t> bytes) {
  InitialiseOnce();
  heif::Context context(heif_context_alloc());
  if (!context) Fail("out of memory");
  // libheif's own bound, so no stored image (a grid's tiles, an alpha plane) exceeds ours.
  heif_context_set_maximum_image_size_limit(context.get(), static_cast<int>(kMaxPictureSide));
  // The batch already runs one file per core.
  heif_context_set_max_decoding_threads(context.get(), 0);
  Check(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(),
                                                   nullptr));
  return context;
}

heif::Handle PrimaryImage(heif_context* context) {
  heif_image_handle* raw = nullptr;
  const heif_error error = heif_context_get_primary_image_handle(context, &raw);
  heif::Handle handle(raw);
  Check(error);
  if (!handle) Fail("the file has no primary image");
  return handle;
}

// Both the stored size (what the codec produces) and the size after the transforms are held to
// the limits before anything is decoded.
void CheckSizes(const heif_image_handle* handle, std::int64_t fileBytes) {
  const int width = heif_image_handle_get_ispe_width(handle);
  const int height = heif_image_handle_get_ispe_height(handle);
  const int shownWidth = heif_image_handle_get_width(handle);
  const int shownHeight = heif_image_handle_get_height(handle);
  CheckPictureSize(width, height);
  CheckPictureSize(shownWidth, shownHeight);
  CheckPixelsForData(width, height, fileBytes);
  if (width <= 0 || height <= 0 || shownWidth <= 0 || shownHeight <= 0) {
    Fail("the picture has no size");
  }
}

std::vector<std::uint8_t> MetadataBlock(const heif_image_handle* handle, heif_item_id id) {
  std::vector<std::uint8_t> bytes(heif_image_handle_get_metadata_size(handle, id));
  if (!bytes.empty()) Check(heif_image_handle_get_metadata(handle, id, bytes.data()));
  return bytes;
}

// The first metadata block of the type (and, when given, the content type); empty when none.
std::vector<std::uint8_t> FindMetadata(const heif_image_handle* handle, const char* type,
                                       const char* contentType) {
  const int count = heif_image_handle_get_number_of_metadata_blocks(handle, type);
  if (count <= 0) return {};
  std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
  const int listed =
      heif_image_handle_get_list_of_metadata_block_IDs(handle, type, ids.data(), count);
  for (int i = 0; i < listed && i < count; ++i) {
    const char* content = heif_image_handle_get_metadata_content_type(handle, ids[i]);
    if (contentType && (!content || std::strcmp(content, contentType) != 0)) continue;
    return MetadataBlock(handle, ids[i]);
  }
  return {};
}

// A HEIF Exif block starts with the big-endian offset from its end to the TIFF header. Some
// writers point at an "Exif\0\0" header instead, which is skipped too. A bad offset drops the
// block rather than the picture.
std::vector<std::uint8_t> TiffFromExifBlock(const std::vector<std::uint8_t>& block) {
  if (block.size() < 4) return {};
  const std::uint32_t offset = std::uint32_t{block[0]} << 24 | std::uint32_t{block[1]} << 16 |
                               std::uint32_t{block[2]} << 8 | block[3];
  if (offset > block.size() - 4) return {};
  auto start = block.begin() + 4 + static_cast<std::ptrdiff_t>(offset);
  static constexpr std::string_view kExifHeader("Exif\0\0", 6);
  if (static_cast<std::size_t>(block.end() - start) >= kExifHeader.size() &&
      std::equal(kExifHeader.begin(), kExifHeader.end(), start)) {
    start += kExifHeader.size();
  }
  return std::vector<std::uint8_t>(start, block.end());
}

std::vector<std::uint8_t> IccProfile(const heif_image_handle* handle) {
  const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
  if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
  std::vector<std::uint8_t> bytes(heif_image_handle_get_raw_color_profile_size(handle));
  if (!bytes.empty()) Check(heif_image_handle_get_raw_color_profile(handle, bytes.data()));
  return bytes;
}

// The interleaved samples libheif hands back: 8-bit, or 16-bit little-endian holding `bits`.
struct Samples {
  const std::uint8_t* plane = nullptr;
  std::size_t stride = 0;
  int channels = 3;
  int bits = 8;

  // Sample c of pixel x in row y, scaled to 8 bits and rounded to the nearest level.
  std::uint8_t at(int x, int y, int c) const {
    const std::size_t index = static_cast<std::size_t>(x) * channels + c;
    const std::uint8_t* row = plane + static_cast<std::size_t>(y) * stride;
    if (bits == 8) return row[index];
    const unsigned max = (1u << bits) - 1;
    const unsigned value = std::min<unsigned>(row[2 * index] | row[2 * index + 1] << 8, max);
    return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
  }
};

// Colour stored multiplied by its alpha, brought back to straight colour (rounded).
std::uint8_t Unpremultiply(std::uint8_t colour, std::uint8_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<std::uint8_t>(std::min(255u, (colour * 255u + alpha / 2u) / alpha));
}

void TakePixels(const Samples& samples, int width, int height, bool premultiplied,
                DecodedPicture& picture) {
  Bitmap24 bitmap = Bitmap24::Uninitialised(width, height);
  std::vector<std::uint8_t> alpha;
  if (samples.channels == 4) alpha.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = bitmap.row(y);
    for (int x = 0; x < width; ++x, out += 3) {
      const std::uint8_t a = samples.channels == 4 ? samples.at(x, y, 3) : 255;
      for (int c = 0; c < 3; ++c) {
        const std::uint8_t value = samples.at(x, y, c);
        out[2 - c] = premultiplied ? Unpremultiply(value, a) : value;
      }
      if (!alpha.empty()) alpha[static_cast<std::size_t>(y) * width + x] = a;
    }
  }
  picture.raster = std::move(bitmap);
  if (!alpha.empty()) picture.alpha = std::move(alpha);
}

// Decodes to interleaved RGB(A); files deeper than 8 bits are asked for 16-bit samples and
// scaled here, so the rounding is ours and not the codec's.
void DecodePixels(const heif_image_handle* handle, bool upright, DecodedPicture& picture) {
  const bool hasAlpha = heif_image_handle_has_alpha_channel(handle) != 0;
  const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
  const heif_chroma chroma =
      deep ? (hasAlpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
           : (hasAlpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif::Options options(heif_decoding_options_alloc());
  if (!options) Fail("out of memory");
  options->ignore_transformations = upright ? 0 : 1;
  heif_image* raw = nullptr;
  const heif_error error =
      heif_decode_image(handle, &raw, heif_colorspace_RGB, chroma, options.get());
  heif::Image image(raw);
  Check(error);
  if (!image) Fail("cannot decode the picture");

  Samples samples;
  samples.channels = hasAlpha ? 4 : 3;
  samples.bits = deep ? heif_image_get_bits_per_pixel_range(raw, heif_channel_interleaved) : 8;
  int stride = 0;
  samples.plane = heif_image_get_plane_readonly(raw, heif_channel_interleaved, &stride);
  samples.stride = stride > 0 ? static_cast<std::size_t>(stride) : 0;
  const int width = heif_image_get_width(raw, heif_channel_interleaved);
  const int height = heif_image_get_height(raw, heif_channel_interleaved);
  const std::size_t rowBytes =
      static_cast<std::size_t>(std::max(width, 0)) * samples.channels * (deep ? 2 : 1);
  if (!samples.plane || width <= 0 || height <= 0 || samples.stride < rowBytes ||
      samples.bits < 8 || samples.bits > 16) {
    Fail("the decoder gave an unexpected picture");
  }
  CheckPictureSize(width, height);
  TakePixels(samples, width, height, hasAlpha && heif_image_is_premultiplied_alpha(raw), picture);
}

}  // namespace

DecodedPicture ReadHeifBytes(std::span<const std::uint8_t> bytes, bool upright) {
  CheckHeifStructure(bytes);
  // libheif allocates a grid or an overlay at the canvas its data claims, not at its ispe size.
  for (const CanvasSize& canvas : DerivedImageSizes(bytes)) {
    CheckPictureSize(canvas.width, canvas.height);
    CheckPixelsForData(canvas.width, canvas.height, static_cast<std::int64_t>(bytes.size()));
  }
  // What libheif's codecs print would break our one-line messages.
  const QuietStderr quiet;
  const heif::Context context = OpenContext(bytes);
  const heif::Handle handle = PrimaryImage(context.get());
  CheckSizes(handle.get(), static_cast<std::int64_t>(bytes.size()));

  DecodedPicture picture;
  picture.metadata.icc = IccProfile(handle.get());
  picture.metadata.exif = TiffFromExifBlock(FindMetadata(handle.get(), "Exif", nullptr));
  picture.metadata.xmp = FindMetadata(handle.get(), "mime", "application/rdf+xml");
  DecodePixels(handle.get(), upright, picture);
  picture.lossless = false;
  return picture;
}

}  // namespace pixtrel
