// ProbeHeif: the primary image's size read from the boxes at the start of a HEIF file. libheif
// itself cannot be used on a file's first bytes only: it insists on finding every item's data
// within the bytes it is given.
#include <libheif/heif.h>

#include <algorithm>

#include "codecs/heif/HeifBoxes.h"
#include "codecs/heif/HeifFile.h"

namespace pixtrel {
namespace {

using namespace heifboxes;

std::optional<PictureSize> SizeOf(const Box& ispe) {
  if (ispe.body.size() < 12) return std::nullopt;
  const std::uint32_t width = Be32(ispe.body.data() + 4), height = Be32(ispe.body.data() + 8);
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
    return std::nullopt;
  }
  // libheif's planes as decoded, its RGB(A) picture (16-bit samples for deep files) and ours.
  return PictureSize{static_cast<int>(width), static_cast<int>(height), 12};
}

}  // namespace

std::optional<PictureSize> ProbeHeif(std::span<const std::uint8_t> bytes) {
  const int checked = static_cast<int>(std::min<std::size_t>(bytes.size(), 4096));
  if (bytes.size() < 12 ||
      heif_check_filetype(bytes.data(), checked) != heif_filetype_yes_supported) {
    return std::nullopt;
  }
  const std::optional<Bytes> meta = MetaBody(bytes);
  if (!meta) return std::nullopt;
  for (const Box& property : PrimaryItemProperties(*meta)) {
    if (property.type == FourCc("ispe")) return SizeOf(property);
  }
  return std::nullopt;
}

}  // namespace pixtrel
