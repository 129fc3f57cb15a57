// ProbeHeif: the primary image's size read from the boxes at the start of a HEIF file. libheif
// itself cannot be used on a file's first bytes only: it insists on finding every item's data
// within the bytes it is given.
#include <libheif/heif.h>

#include <algorithm>
#include <vector>

#include "formats/HeifBoxes.h"
#include "formats/HeifFile.h"

namespace pixtrel {
namespace {

using namespace heifboxes;

// The 1-based indices into ipco of the properties ipma associates with the item.
std::vector<std::uint32_t> PropertiesOf(const std::optional<Box>& ipma, std::uint32_t item) {
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> body = FullBody(ipma, version, flags);
  if (!body || body->size() < 4) return {};
  const std::size_t idBytes = version < 1 ? 2 : 4, indexBytes = (flags & 1) ? 2 : 1;
  std::uint32_t entries = Be32(body->data());
  Bytes rest = body->subspan(4);
  for (; entries > 0 && rest.size() >= idBytes + 1; --entries) {
    const std::uint32_t id = idBytes == 2 ? Be16(rest.data()) : Be32(rest.data());
    const std::size_t count = rest[idBytes];
    rest = rest.subspan(idBytes + 1);
    if (rest.size() < count * indexBytes) return {};
    if (id == item) {
      std::vector<std::uint32_t> indices;
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = rest.data() + i * indexBytes;
        indices.push_back(indexBytes == 2 ? Be16(p) & 0x7FFF : p[0] & 0x7Fu);
      }
      return indices;
    }
    rest = rest.subspan(count * indexBytes);
  }
  return {};
}

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
  const std::optional<std::uint32_t> primary = PrimaryItem(*meta);
  const std::optional<Box> iprp = FindBox(*meta, FourCc("iprp"));
  if (!primary || !iprp) return std::nullopt;
  const std::optional<Box> ipco = FindBox(iprp->body, FourCc("ipco"));
  if (!ipco) return std::nullopt;
  std::vector<Box> properties;
  BoxWalk walk(ipco->body);
  while (const std::optional<Box> box = walk.next()) {
    properties.push_back(*box);
  }
  for (const std::uint32_t index : PropertiesOf(FindBox(iprp->body, FourCc("ipma")), *primary)) {
    if (index >= 1 && index <= properties.size() && properties[index - 1].type == FourCc("ispe")) {
      return SizeOf(properties[index - 1]);
    }
  }
  return std::nullopt;
}

}  // namespace pixtrel
