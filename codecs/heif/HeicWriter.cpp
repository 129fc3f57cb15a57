#include "codecs/heif/HeicWriter.h"

#include <libheif/heif.h>

#include <memory>
#include <new>
#include <string_view>

#include "codecs/heif/HeifHandles.h"
#include "core/Errors.h"

namespace pixtrel {
namespace {

using heif::Check;
using heif::Fail;

struct EncoderRelease {
  void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
};
struct EncodingOptionsFree {
  void operator()(heif_encoding_options* options) const { heif_encoding_options_free(options); }
};
struct NclxFree {
  void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};
struct MutableImageRelease {
  void operator()(heif_image* image) const { heif_image_release(image); }
};

void InitialiseOnce() {
  static const bool initialised = [] {
    heif_init(nullptr);
    return true;
  }();
  (void)initialised;
}

// libheif calls this with the file's bytes; nothing may be thrown back through it.
heif_error AppendBytes(heif_context*, const void* data, size_t size, void* userdata) {
  try {
    auto* out = static_cast<Bytes*>(userdata);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "Success"};
  } catch (const std::bad_alloc&) {
    return heif_error{heif_error_Memory_allocation_error, heif_suberror_Unspecified,
                      "out of memory"};
  }
}

std::unique_ptr<heif_encoder, EncoderRelease> HevcEncoder(heif_context* context, int quality) {
  RequireHevcEncoder(heif_have_encoder_for_format(heif_compression_HEVC) != 0);
  heif_encoder* raw = nullptr;
  const heif_error error =
      heif_context_get_encoder_for_format(context, heif_compression_HEVC, &raw);
  std::unique_ptr<heif_encoder, EncoderRelease> encoder(raw);
  Check(error);
  if (!encoder) Fail("no HEVC encoder");
  Check(heif_encoder_set_lossy_quality(encoder.get(), quality));
  Check(heif_encoder_set_lossless(encoder.get(), 0));
  // The speed and threads are x265's own parameters; another HEVC encoder keeps its defaults.
  const std::string_view name = heif_encoder_get_name(encoder.get());
  if (name.substr(0, 4) == "x265") {
    Check(heif_encoder_set_parameter_string(encoder.get(), "preset", kHeicPreset));
    Check(heif_encoder_set_parameter_string(encoder.get(), "chroma", "420"));
    // No thread pool of x265's own: the batch already runs one file per core, and x265's pool
    // spends more time waiting than encoding on a busy machine.
    Check(heif_encoder_set_parameter_string(encoder.get(), "x265:pools", "none"));
  }
  return encoder;
}

// RGB or RGBA interleaved, 8 bits, or 10 bits in 16-bit little-endian words.
std::unique_ptr<heif_image, MutableImageRelease> MakeImage(const HeifSamples& samples) {
  const bool deep = samples.deep() != nullptr;
  const bool alpha = samples.hasAlpha();
  const heif_chroma chroma =
      deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
           : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_image* raw = nullptr;
  Check(heif_image_create(samples.width(), samples.height(), heif_colorspace_RGB, chroma, &raw));
  std::unique_ptr<heif_image, MutableImageRelease> image(raw);
  Check(heif_image_add_plane(image.get(), heif_channel_interleaved, samples.width(),
                             samples.height(), deep ? 10 : 8));
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
  if (!plane) Fail("out of memory");
  const int width = samples.width();
  if (deep) {
    const DeepSamples& source = *samples.deep();
    const std::uint16_t* in = source.samples.data();
    for (int y = 0; y < samples.height(); ++y) {
      std::uint8_t* out = plane + static_cast<std::size_t>(y) * stride;
      for (int i = 0; i < width * source.channels; ++i, out += 2) {
        const std::uint16_t value = TenBitSample(*in++);
        out[0] = static_cast<std::uint8_t>(value & 0xFF);
        out[1] = static_cast<std::uint8_t>(value >> 8);
      }
    }
    return image;
  }
  const std::uint8_t* a = alpha ? samples.alpha().data() : nullptr;
  for (int y = 0; y < samples.height(); ++y) {
    const std::uint8_t* in = samples.bitmap().row(y);
    std::uint8_t* out = plane + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x, in += 3) {
      *out++ = in[2];
      *out++ = in[1];
      *out++ = in[0];
      if (a) *out++ = *a++;
    }
  }
  return image;
}

// sRGB colours in full-range BT.601 YCbCr, as phones write them; an ICC profile goes beside.
void DescribeColours(heif_image* image, const PictureMetadata& metadata) {
  std::unique_ptr<heif_color_profile_nclx, NclxFree> nclx(heif_nclx_color_profile_alloc());
  if (!nclx) Fail("out of memory");
  nclx->color_primaries = heif_color_primaries_ITU_R_BT_709_5;
  nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
  nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
  nclx->full_range_flag = 1;
  Check(heif_image_set_nclx_color_profile(image, nclx.get()));
  if (!metadata.icc.empty()) {
    Check(
        heif_image_set_raw_color_profile(image, "prof", metadata.icc.data(), metadata.icc.size()));
  }
}

}  // namespace

void RequireHevcEncoder(bool present) {
  if (!present)
    throw Exception("Cannot write HEIC files: this system's libheif has no HEVC encoder");
}

Bytes EncodeHeic(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                 const DeepSamples* deep, const PictureMetadata& metadata,
                 const HeifWriteSettings& settings) {
  InitialiseOnce();
  heif::Context context(heif_context_alloc());
  if (!context) Fail("out of memory");
  auto encoder = HevcEncoder(context.get(), HeicQuality(settings.quality));
  const HeifSamples samples("HEIC", raster, alpha, deep);
  auto image = MakeImage(samples);
  DescribeColours(image.get(), metadata);

  std::unique_ptr<heif_encoding_options, EncodingOptionsFree> options(
      heif_encoding_options_alloc());
  if (!options) Fail("out of memory");
  options->save_alpha_channel = 1;
  // Readers that do not take ICC profiles still learn how to turn YCbCr into RGB.
  options->save_two_colr_boxes_when_ICC_and_nclx_available = 1;
  options->image_orientation = heif_orientation_normal;  // no irot or imir
  heif_image_handle* rawHandle = nullptr;
  Check(heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(),
                                  &rawHandle));
  const heif::Handle handle(rawHandle);
  if (!metadata.exif.empty()) {
    Check(heif_context_add_exif_metadata(context.get(), handle.get(), metadata.exif.data(),
                                         static_cast<int>(metadata.exif.size())));
  }
  if (!metadata.xmp.empty()) {
    Check(heif_context_add_XMP_metadata(context.get(), handle.get(), metadata.xmp.data(),
                                        static_cast<int>(metadata.xmp.size())));
  }
  Bytes bytes;
  heif_writer writer{1, AppendBytes};
  Check(heif_context_write(context.get(), &writer, &bytes));
  return bytes;
}

}  // namespace pixtrel
