#include "codecs/heif/HeifEncode.h"

#include <array>
#include <new>
#include <string_view>

#include "codecs/heif/HeifHandles.h"
#include "codecs/heif/YcbcrPlanes.h"
#include "core/Errors.h"

namespace pixtrel::heif {
namespace {

struct EncodingOptionsFree {
  void operator()(heif_encoding_options* options) const { heif_encoding_options_free(options); }
};
struct NclxFree {
  void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};
struct MutableImageRelease {
  void operator()(heif_image* image) const { heif_image_release(image); }
};
using MutableImage = std::unique_ptr<heif_image, MutableImageRelease>;

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

PlaneView AddPlane(heif_image* image, heif_channel channel, int width, int height, int bits) {
  Check(heif_image_add_plane(image, channel, width, height, bits));
  int stride = 0;
  std::uint8_t* data = heif_image_get_plane(image, channel, &stride);
  if (!data) Fail("out of memory");
  return {data, stride};
}

// The image libheif encodes: YCbCr planes of the samples' depth, and their alpha plane.
MutableImage MakeImage(const HeifSamples& samples, Planes planes) {
  const int width = samples.width(), height = samples.height();
  const int bits = samples.deep() ? 10 : 8;
  const bool identity = planes == Planes::Identity444;
  heif_image* raw = nullptr;
  Check(heif_image_create(width, height, heif_colorspace_YCbCr,
                          identity ? heif_chroma_444 : heif_chroma_420, &raw));
  MutableImage image(raw);
  const int chromaWidth = identity ? width : (width + 1) / 2;
  const int chromaHeight = identity ? height : (height + 1) / 2;
  const PlaneView y = AddPlane(image.get(), heif_channel_Y, width, height, bits);
  const PlaneView cb = AddPlane(image.get(), heif_channel_Cb, chromaWidth, chromaHeight, bits);
  const PlaneView cr = AddPlane(image.get(), heif_channel_Cr, chromaWidth, chromaHeight, bits);
  const PlaneView alpha = samples.hasAlpha()
                              ? AddPlane(image.get(), heif_channel_Alpha, width, height, bits)
                              : PlaneView{};
  FillPlanes(samples, identity, y, cb, cr, alpha);
  return image;
}

// sRGB colours in full range, as phones write them; an ICC profile goes beside.
std::unique_ptr<heif_color_profile_nclx, NclxFree> Colours(Planes planes) {
  std::unique_ptr<heif_color_profile_nclx, NclxFree> nclx(heif_nclx_color_profile_alloc());
  if (!nclx) Fail("out of memory");
  nclx->color_primaries = heif_color_primaries_ITU_R_BT_709_5;
  nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
  nclx->matrix_coefficients = planes == Planes::Ycbcr420 ? heif_matrix_coefficients_ITU_R_BT_601_6
                                                         : heif_matrix_coefficients_RGB_GBR;
  nclx->full_range_flag = 1;
  return nclx;
}

}  // namespace

EncoderChoice FindEncoders(heif_compression_format format, const char* preferredId) {
  InitialiseOnce();
  std::array<const heif_encoder_descriptor*, 16> found{};
  const int count =
      heif_get_encoder_descriptors(format, nullptr, found.data(), static_cast<int>(found.size()));
  EncoderChoice choice;
  for (int i = 0; i < count; ++i) {
    if (!found[i]) continue;
    if (!choice.any) choice.any = found[i];
    const char* id = heif_encoder_descriptor_get_id_name(found[i]);
    if (!choice.preferred && id && std::string_view(id) == preferredId) choice.preferred = found[i];
  }
  return choice;
}

Encoder MakeEncoder(const heif_encoder_descriptor* descriptor) {
  heif_encoder* raw = nullptr;
  const heif_error error = heif_context_get_encoder(nullptr, descriptor, &raw);
  Encoder encoder(raw);
  Check(error);
  if (!encoder) Fail("no encoder");
  return encoder;
}

Bytes WriteHeifFile(heif_encoder* encoder, const HeifSamples& samples, Planes planes,
                    const PictureMetadata& metadata) {
  InitialiseOnce();
  Context context(heif_context_alloc());
  if (!context) Fail("out of memory");
  const MutableImage image = MakeImage(samples, planes);
  const auto nclx = Colours(planes);
  Check(heif_image_set_nclx_color_profile(image.get(), nclx.get()));
  if (!metadata.icc.empty()) {
    Check(heif_image_set_raw_color_profile(image.get(), "prof", metadata.icc.data(),
                                           metadata.icc.size()));
  }

  std::unique_ptr<heif_encoding_options, EncodingOptionsFree> options(
      heif_encoding_options_alloc());
  if (!options) Fail("out of memory");
  options->save_alpha_channel = 1;
  // Readers that do not take ICC profiles still learn how to turn YCbCr into RGB.
  options->save_two_colr_boxes_when_ICC_and_nclx_available = 1;
  options->output_nclx_profile = nclx.get();
  options->image_orientation = heif_orientation_normal;  // no irot or imir
  heif_image_handle* rawHandle = nullptr;
  Check(heif_context_encode_image(context.get(), image.get(), encoder, options.get(), &rawHandle));
  const Handle handle(rawHandle);
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

}  // namespace pixtrel::heif
