#include "formats/ExifLayout.h"

#include <set>

namespace pixtrel {
namespace {

using tiff::Ifd;

class LayoutReader {
 public:
  LayoutReader(std::span<const std::uint8_t> tiff, tiff::ByteOrder order)
      : tiff_(tiff), order_(order) {}

  // The directory at offset, unless it is out of the block or was read before.
  std::optional<Ifd> Visit(std::uint32_t offset) {
    if (!seen_.insert(offset).second) return std::nullopt;
    return tiff::ReadIfd(tiff_, offset, order_);
  }

  // The directory a pointer tag of parent names: true with nothing when the tag is absent,
  // false when the pointer or its directory is damaged.
  bool VisitPointer(const Ifd& parent, std::uint16_t tag, std::optional<Ifd>& out) {
    const tiff::Entry* found = nullptr;
    for (const tiff::Entry& entry : parent.entries) {
      if (entry.tag != tag) continue;
      if (found) return false;  // a second pointer could lead to data an edit misses
      found = &entry;
    }
    if (!found) return true;
    const bool pointerForm =
        (found->type == tiff::kTypeLong || found->type == tiff::kTypeIfd) && found->count == 1;
    if (!pointerForm) return false;
    out = Visit(found->value);
    return out.has_value();
  }

 private:
  std::span<const std::uint8_t> tiff_;
  tiff::ByteOrder order_;
  std::set<std::uint32_t> seen_;
};

}  // namespace

std::optional<ExifLayout> ReadExifLayout(std::span<const std::uint8_t> tiff) {
  const auto order = tiff::HeaderByteOrder(tiff);
  if (!order) return std::nullopt;
  LayoutReader reader(tiff, *order);
  auto ifd0 = reader.Visit(order->Get32(tiff, 4));
  if (!ifd0) return std::nullopt;
  ExifLayout layout{*order, std::move(*ifd0), {}, {}, {}, {}};
  for (std::uint32_t next = layout.ifd0.next; next != 0; next = layout.chain.back().next) {
    if (layout.chain.size() == kMaxIfdChain) return std::nullopt;
    auto ifd = reader.Visit(next);
    if (!ifd) return std::nullopt;
    layout.chain.push_back(std::move(*ifd));
  }
  if (!reader.VisitPointer(layout.ifd0, kTagExifIfd, layout.exif)) return std::nullopt;
  if (!reader.VisitPointer(layout.ifd0, kTagGpsIfd, layout.gps)) return std::nullopt;
  if (layout.exif && !reader.VisitPointer(*layout.exif, kTagInteropIfd, layout.interop))
    return std::nullopt;
  return layout;
}

}  // namespace pixtrel
