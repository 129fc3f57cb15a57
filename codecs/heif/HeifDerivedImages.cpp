#include "codecs/heif/HeifDerivedImages.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "codecs/heif/HeifBoxes.h"

namespace pixtrel {
namespace {

using namespace heifboxes;

// Item ID and item type of every infe box of version 2 or 3 (the ones that name a type).
std::vector<std::pair<std::uint32_t, std::uint32_t>> ItemTypes(Bytes meta) {
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> iinf = FullBody(FindBox(meta, FourCc("iinf")), version, flags);
  const std::size_t countBytes = version == 0 ? 2 : 4;
  if (!iinf || iinf->size() < countBytes) return {};
  std::vector<std::pair<std::uint32_t, std::uint32_t>> types;
  BoxWalk walk(iinf->subspan(countBytes));
  while (const std::optional<Box> box = walk.next()) {
    if (box->type != FourCc("infe")) continue;
    const std::optional<Bytes> infe = FullBody(box, version, flags);
    if (!infe || version < 2) continue;
    FieldReader fields(*infe);
    const auto id = static_cast<std::uint32_t>(fields.read(version == 2 ? 2 : 4));
    fields.read(2);  // protection index
    const auto type = static_cast<std::uint32_t>(fields.read(4));
    if (!fields.failed()) types.emplace_back(id, type);
  }
  return types;
}

// Appends the part of [start, start + length) inside `from` (length 0: to its end) to `out`,
// up to `want` bytes in all.
void Append(Bytes from, std::uint64_t start, std::uint64_t length, std::size_t want,
            std::vector<std::uint8_t>& out) {
  if (start >= from.size() || out.size() >= want) return;
  std::uint64_t available = from.size() - start;
  if (length != 0) available = std::min(available, length);
  const std::size_t take =
      static_cast<std::size_t>(std::min<std::uint64_t>(available, want - out.size()));
  out.insert(out.end(), from.begin() + static_cast<std::ptrdiff_t>(start),
             from.begin() + static_cast<std::ptrdiff_t>(start + take));
}

// The first `want` bytes of an item's data where iloc places them: in the file (construction
// method 0) or in the idat box (method 1). Empty when iloc does not place it there.
std::vector<std::uint8_t> ItemDataHead(Bytes file, Bytes meta, std::uint32_t item,
                                       std::size_t want) {
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> iloc = FullBody(FindBox(meta, FourCc("iloc")), version, flags);
  if (!iloc || version > 2) return {};
  FieldReader fields(*iloc);
  const auto sizes = fields.read(2);
  const std::size_t offsetSize = (sizes >> 12) & 15, lengthSize = (sizes >> 8) & 15;
  const std::size_t baseSize = (sizes >> 4) & 15, indexSize = version >= 1 ? sizes & 15 : 0;
  const std::uint64_t items = fields.read(version < 2 ? 2 : 4);
  for (std::uint64_t i = 0; i < items && !fields.failed(); ++i) {
    const std::uint64_t id = fields.read(version < 2 ? 2 : 4);
    const std::uint64_t method = version >= 1 ? fields.read(2) & 15 : 0;
    fields.read(2);  // data reference index
    const std::uint64_t base = fields.read(baseSize);
    const std::uint64_t extents = fields.read(2);
    std::vector<std::uint8_t> data;
    const std::optional<Box> idat = method == 1 ? FindBox(meta, FourCc("idat")) : std::nullopt;
    for (std::uint64_t e = 0; e < extents && !fields.failed(); ++e) {
      fields.read(indexSize);
      const std::uint64_t offset = fields.read(offsetSize);
      const std::uint64_t length = fields.read(lengthSize);
      if (id != item || base > UINT64_MAX - offset) continue;
      if (method == 0) Append(file, base + offset, length, want, data);
      if (method == 1 && idat) Append(idat->body, base + offset, length, want, data);
    }
    if (id == item) return fields.failed() ? std::vector<std::uint8_t>{} : data;
  }
  return {};
}

// A grid's or an overlay's canvas from its data: version, flags (bit 0: 32-bit sizes), then
// rows and columns for a grid or four fill values for an overlay, then width and height.
std::optional<CanvasSize> CanvasOf(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  if (data.size() < 2) return std::nullopt;
  const std::size_t sizeBytes = (data[1] & 1) ? 4 : 2;
  FieldReader fields(data);
  fields.read(2);                               // version, flags
  fields.read(type == FourCc("grid") ? 2 : 8);  // rows, columns | fill values
  const auto width = static_cast<std::int64_t>(fields.read(sizeBytes));
  const auto height = static_cast<std::int64_t>(fields.read(sizeBytes));
  if (fields.failed()) return std::nullopt;
  return CanvasSize{width, height};
}

}  // namespace

std::vector<CanvasSize> DerivedImageSizes(std::span<const std::uint8_t> file) {
  const std::optional<Bytes> meta = MetaBody(file);
  if (!meta) return {};
  std::vector<CanvasSize> sizes;
  for (const auto& [id, type] : ItemTypes(*meta)) {
    if (type != FourCc("grid") && type != FourCc("iovl")) continue;
    const std::optional<CanvasSize> canvas = CanvasOf(type, ItemDataHead(file, *meta, id, 32));
    if (canvas) sizes.push_back(*canvas);
  }
  return sizes;
}

}  // namespace pixtrel
