#include "codecs/heif/HeifPixels.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "codecs/heif/EightBitLevel.h"
#include "codecs/heif/HeifBoxes.h"
#include "codecs/heif/HeifHandles.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

using heif::Check;
using heif::Fail;

// One plane as libheif hands it back: 8-bit samples, or 16-bit little-endian holding `bits`.
// Interleaved planes hold `channels` samples per pixel.
struct Plane {
  const std::uint8_t* data = nullptr;
  std::size_t stride = 0;
  int channels = 1;
  int bits = 8;
  bool limitedRange = false;

  unsigned raw(int x, int y, int c) const {
    const std::size_t index = static_cast<std::size_t>(x) * channels + c;
    const std::uint8_t* row = data + static_cast<std::size_t>(y) * stride;
    if (bits == 8) return row[index];
    return row[2 * index] | unsigned{row[2 * index + 1]} << 8;
  }
  std::uint8_t at(int x, int y, int c = 0) const {
    return EightBitLevel(raw(x, y, c), bits, limitedRange);
  }
};

Plane PlaneOf(const heif_image* image, heif_channel channel, int channels, int width) {
  Plane plane;
  plane.channels = channels;
  plane.bits = heif_image_get_bits_per_pixel_range(image, channel);
  int stride = 0;
  plane.data = heif_image_get_plane_readonly(image, channel, &stride);
  plane.stride = stride > 0 ? static_cast<std::size_t>(stride) : 0;
  const std::size_t rowBytes =
      static_cast<std::size_t>(std::max(width, 0)) * channels * (plane.bits > 8 ? 2 : 1);
  if (!plane.data || plane.stride < rowBytes || plane.bits < 8 || plane.bits > 16) {
    Fail("the decoder gave an unexpected picture");
  }
  return plane;
}

// Colour stored multiplied by its alpha, brought back to straight colour (rounded).
std::uint8_t Unpremultiply(std::uint8_t colour, std::uint8_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<std::uint8_t>(std::min(255u, (colour * 255u + alpha / 2u) / alpha));
}

// libheif 1.15 asks for a mutable image only to read the flag.
bool Premultiplied(const heif_image* image) {
  return heif_image_is_premultiplied_alpha(const_cast<heif_image*>(image)) != 0;
}

// Whether a decoded image's samples are in limited range, as its colour description says (for
// AV1 the coded stream's, otherwise the file's colr box); full range when nothing says.
bool LimitedRange(const heif_image* image, const heif_image_handle* handle) {
  // libheif may hand out a profile together with an error: whatever it hands out is freed.
  heif_color_profile_nclx* nclx = nullptr;
  heif_error error = heif_image_get_nclx_color_profile(image, &nclx);
  if (error.code != heif_error_Ok || !nclx) {
    heif_nclx_color_profile_free(nclx);
    nclx = nullptr;
    error = heif_image_handle_get_nclx_color_profile(handle, &nclx);
  }
  const bool limited = error.code == heif_error_Ok && nclx && nclx->full_range_flag == 0;
  heif_nclx_color_profile_free(nclx);
  return limited;
}

// Whether the primary image's alpha plane is coded in limited range. libheif copies the alpha
// image's samples as they are, so its own description is read: its colr box, or, without one,
// what its decoder reports of the coded stream (decoding the alpha image alone).
bool AlphaInLimitedRange(const heif_image_handle* handle) {
  const int count = heif_image_handle_get_number_of_auxiliary_images(handle, 0);
  if (count <= 0) return false;
  std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
  const int listed =
      heif_image_handle_get_list_of_auxiliary_image_IDs(handle, 0, ids.data(), count);
  for (int i = 0; i < listed && i < count; ++i) {
    heif_image_handle* raw = nullptr;
    if (heif_image_handle_get_auxiliary_image_handle(handle, ids[i], &raw).code != heif_error_Ok) {
      continue;
    }
    const heif::Handle auxiliary(raw);
    const char* type = nullptr;
    if (heif_image_handle_get_auxiliary_type(auxiliary.get(), &type).code != heif_error_Ok)
      continue;
    const bool alpha =
        type && (std::strcmp(type, "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha") == 0 ||
                 std::strcmp(type, "urn:mpeg:hevc:2015:auxid:1") == 0);
    heif_image_handle_free_auxiliary_types(auxiliary.get(), &type);
    if (!alpha) continue;
    heif_color_profile_nclx* nclx = nullptr;
    const bool described =
        heif_image_handle_get_nclx_color_profile(auxiliary.get(), &nclx).code == heif_error_Ok &&
        nclx;
    const bool limited = described && nclx->full_range_flag == 0;
    heif_nclx_color_profile_free(nclx);
    if (described) return limited;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(
        auxiliary.get(), &decoded, heif_colorspace_monochrome, heif_chroma_monochrome, nullptr);
    const heif::Image image(decoded);
    if (error.code != heif_error_Ok || !image) return false;
    return LimitedRange(image.get(), auxiliary.get());
  }
  return false;
}

heif::Image Decode(const heif_image_handle* handle, bool upright, heif_colorspace colorspace,
                   heif_chroma chroma) {
  heif::Options options(heif_decoding_options_alloc());
  if (!options) Fail("out of memory");
  options->ignore_transformations = upright ? 0 : 1;
  heif_image* raw = nullptr;
  const heif_error error = heif_decode_image(handle, &raw, colorspace, chroma, options.get());
  heif::Image image(raw);
  Check(error);
  if (!image) Fail("cannot decode the picture");
  return image;
}

// The common case, 8-bit full-range RGB or straight RGBA, as the general loop below gives it but
// row by row without per-sample calls: red and blue swapped, the alpha split off.
bool TakeEightBitRgb(const Plane& colour, const std::optional<Plane>& alpha, int width, int height,
                     bool premultiplied, DecodedPicture& picture) {
  const int channels = colour.channels;
  if (colour.bits != 8 || colour.limitedRange || (channels != 3 && channels != 4) ||
      (channels == 4) != alpha.has_value() || premultiplied || (alpha && alpha->limitedRange)) {
    return false;
  }
  Bitmap24 bitmap = Bitmap24::Uninitialised(width, height);
  std::vector<std::uint8_t> opacity;
  if (alpha) opacity.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = colour.data + static_cast<std::size_t>(y) * colour.stride;
    std::uint8_t* out = bitmap.row(y);
    if (channels == 3) {
      for (int x = 0; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
    } else {
      std::uint8_t* a = opacity.data() + static_cast<std::size_t>(y) * width;
      for (int x = 0; x < width; ++x, in += 4, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        a[x] = in[3];
      }
    }
  }
  picture.raster = std::move(bitmap);
  if (alpha) picture.alpha = std::move(opacity);
  return true;
}

// The picture from `colour` (grey: one sample a pixel; else red, green, blue) and `alpha` (the
// fourth sample of `colour`'s pixels, a plane of its own, or none).
void TakePixels(const Plane& colour, const std::optional<Plane>& alpha, int alphaChannel, int width,
                int height, bool premultiplied, DecodedPicture& picture) {
  if (alphaChannel == 3 && TakeEightBitRgb(colour, alpha, width, height, premultiplied, picture))
    return;
  Bitmap24 bitmap = Bitmap24::Uninitialised(width, height);
  std::vector<std::uint8_t> opacity;
  if (alpha) opacity.resize(static_cast<std::size_t>(width) * height);
  const bool grey = colour.channels == 1;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = bitmap.row(y);
    for (int x = 0; x < width; ++x, out += 3) {
      const std::uint8_t a = alpha ? alpha->at(x, y, alphaChannel) : 255;
      for (int c = 0; c < 3; ++c) {
        const std::uint8_t value = colour.at(x, y, grey ? 0 : c);
        out[2 - c] = premultiplied ? Unpremultiply(value, a) : value;
      }
      if (alpha) opacity[static_cast<std::size_t>(y) * width + x] = a;
    }
  }
  picture.raster = std::move(bitmap);
  if (alpha) picture.alpha = std::move(opacity);
}

void CheckDecodedSize(int width, int height) {
  if (width <= 0 || height <= 0) Fail("the decoder gave an unexpected picture");
  CheckPictureSize(width, height);
}

// Grey pictures are decoded as they are stored and brought to 8 bits here, with their range.
void DecodeMonochrome(const heif_image_handle* handle, bool upright, bool alphaLimited,
                      DecodedPicture& picture) {
  const heif::Image image =
      Decode(handle, upright, heif_colorspace_monochrome, heif_chroma_monochrome);
  const int width = heif_image_get_width(image.get(), heif_channel_Y);
  const int height = heif_image_get_height(image.get(), heif_channel_Y);
  CheckDecodedSize(width, height);
  Plane grey = PlaneOf(image.get(), heif_channel_Y, 1, width);
  grey.limitedRange = LimitedRange(image.get(), handle);
  std::optional<Plane> alpha;
  if (heif_image_has_channel(image.get(), heif_channel_Alpha)) {
    if (heif_image_get_width(image.get(), heif_channel_Alpha) != width ||
        heif_image_get_height(image.get(), heif_channel_Alpha) != height) {
      Fail("the decoder gave an unexpected picture");
    }
    alpha = PlaneOf(image.get(), heif_channel_Alpha, 1, width);
    alpha->limitedRange = alphaLimited;
  }
  TakePixels(grey, alpha, 0, width, height, alpha && Premultiplied(image.get()), picture);
}

// Colour pictures are converted to RGB by libheif; files deeper than 8 bits are asked for
// 16-bit samples and scaled here, so the rounding is ours and not the codec's.
void DecodeColour(const heif_image_handle* handle, bool upright, bool alphaLimited,
                  DecodedPicture& picture) {
  const bool hasAlpha = heif_image_handle_has_alpha_channel(handle) != 0;
  const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
  const heif_chroma chroma =
      deep ? (hasAlpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
           : (hasAlpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  const heif::Image image = Decode(handle, upright, heif_colorspace_RGB, chroma);
  const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
  CheckDecodedSize(width, height);
  const Plane samples = PlaneOf(image.get(), heif_channel_interleaved, hasAlpha ? 4 : 3, width);
  if (deep != (samples.bits > 8)) Fail("the decoder gave an unexpected picture");
  std::optional<Plane> alpha;
  if (hasAlpha) {
    alpha = samples;
    alpha->limitedRange = alphaLimited;
  }
  TakePixels(samples, alpha, 3, width, height, hasAlpha && Premultiplied(image.get()), picture);
}

}  // namespace

bool StoredMonochrome(std::span<const std::uint8_t> bytes) {
  using namespace heifboxes;
  const std::optional<Bytes> meta = MetaBody(bytes);
  if (!meta) return false;
  std::optional<bool> byCodec;
  for (const Box& property : PrimaryItemProperties(*meta)) {
    // pixi: version and flags, then the number of channels.
    if (property.type == FourCc("pixi") && property.body.size() >= 5) {
      return property.body[4] == 1;
    }
    // av1C: marker and version, profile and level, then tier, depth bits and monochrome.
    if (property.type == FourCc("av1C") && property.body.size() >= 3 && !byCodec) {
      byCodec = (property.body[2] & 0x10) != 0;
    }
    // hvcC: the chroma format (0: monochrome) in the low bits of byte 16.
    if (property.type == FourCc("hvcC") && property.body.size() >= 17 && !byCodec) {
      byCodec = (property.body[16] & 0x03) == 0;
    }
  }
  return byCodec.value_or(false);
}

void DecodeHeifPixels(std::span<const std::uint8_t> bytes, const heif_image_handle* handle,
                      bool upright, DecodedPicture& picture) {
  const bool alphaLimited =
      heif_image_handle_has_alpha_channel(handle) != 0 && AlphaInLimitedRange(handle);
  if (StoredMonochrome(bytes)) {
    DecodeMonochrome(handle, upright, alphaLimited, picture);
  } else {
    DecodeColour(handle, upright, alphaLimited, picture);
  }
}

}  // namespace pixtrel
