#include "codecs/heif/HeifFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>
#include <vector>

#include "codecs/heif/HeifDerivedImages.h"
#include "codecs/heif/HeifHandles.h"
#include "codecs/heif/HeifPixels.h"
#include "codecs/heif/HeifStructure.h"
#include "concurrency/ParallelFor.h"
#include "core/Limits.h"
#include "io/QuietStderr.h"
#include "metadata/ExifPayload.h"

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
  // Phone photos are grids of tiles: libheif decodes the tiles on threads of its own, as many as
  // the program may use (--jobs). The tiles are decoded alike whatever the thread count.
  const int threads = WorkerThreadCount();
  heif_context_set_max_decoding_threads(context.get(), threads > 1 ? threads : 0);
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

// A MIME type as items state it matches when it names the same type: letter case, parameters
// (";charset=utf-8") and spaces around it do not count.
bool SameMimeType(std::string_view stated, std::string_view wanted) {
  stated = stated.substr(0, stated.find(';'));
  while (!stated.empty() && (stated.front() == ' ' || stated.front() == '\t'))
    stated.remove_prefix(1);
  while (!stated.empty() && (stated.back() == ' ' || stated.back() == '\t'))
    stated.remove_suffix(1);
  return std::equal(stated.begin(), stated.end(), wanted.begin(), wanted.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
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
    if (contentType && (!content || !SameMimeType(content, contentType))) continue;
    return MetadataBlock(handle, ids[i]);
  }
  return {};
}

std::vector<std::uint8_t> IccProfile(const heif_image_handle* handle) {
  const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
  if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
  std::vector<std::uint8_t> bytes(heif_image_handle_get_raw_color_profile_size(handle));
  if (!bytes.empty()) Check(heif_image_handle_get_raw_color_profile(handle, bytes.data()));
  return bytes;
}

// Colours stored as red, green and blue themselves (the identity matrix, full range) are what
// lossless encoders write: YCbCr would round them. Everything else counts as lossy.
bool StoredLosslessly(const heif_image_handle* handle) {
  heif_color_profile_nclx* nclx = nullptr;
  const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &nclx);
  const bool identity = error.code == heif_error_Ok && nclx &&
                        nclx->matrix_coefficients == heif_matrix_coefficients_RGB_GBR &&
                        nclx->full_range_flag != 0;
  heif_nclx_color_profile_free(nclx);
  return identity;
}

}  // namespace

DecodedPicture ReadHeifBytes(std::span<const std::uint8_t> bytes, bool upright) {
  // libheif allocates a grid or an overlay at the canvas its data claims, not at its ispe size.
  for (const CanvasSize& canvas : DerivedImageSizes(bytes)) {
    CheckPictureSize(canvas.width, canvas.height);
    CheckPixelsForData(canvas.width, canvas.height, static_cast<std::int64_t>(bytes.size()));
  }
  CheckHeifStructure(bytes);
  // What libheif's codecs print would break our one-line messages.
  const QuietStderr quiet;
  const heif::Context context = OpenContext(bytes);
  const heif::Handle handle = PrimaryImage(context.get());
  CheckSizes(handle.get(), static_cast<std::int64_t>(bytes.size()));

  DecodedPicture picture;
  picture.metadata.icc = IccProfile(handle.get());
  picture.metadata.exif = TiffFromOffsetBlock(FindMetadata(handle.get(), "Exif", nullptr));
  picture.metadata.xmp = FindMetadata(handle.get(), "mime", "application/rdf+xml");
  DecodeHeifPixels(bytes, handle.get(), upright, picture);
  picture.lossless = StoredLosslessly(handle.get());
  return picture;
}

}  // namespace pixtrel
