#include "formats/ExifLayout.h"

#include <set>

namespace pixtrel {
namespace {

using tiff::Ifd;

class LayoutReader {
 public:
  LayoutReader(std::span<const std::uint8_t> tiff, tiff::ByteOrder order)
      : tiff_(tiff), order_(order) {}

  // True the second time an offset comes: a loop, or two directories in one place.
  bool Repeated(std::uint32_t offset) { return !seen_.insert(offset).second; }

  std::optional<Ifd> Read(std::uint32_t offset) const {
    return tiff::ReadIfd(tiff_, offset, order_);
  }

  // The directory a pointer tag of parent names: true with nothing when the tag is absent,
  // false when the pointer is damaged. A directory outside the block is damage when the edits
  // need it, and otherwise taken as absent.
  bool VisitPointer(const Ifd& parent, std::uint16_t tag, bool needed, std::optional<Ifd>& out) {
    const tiff::Entry* found = nullptr;
    for (const tiff::Entry& entry : parent.entries) {
      if (entry.tag != tag) continue;
      if (found) return false;  // a second pointer could lead to data an edit misses
      found = &entry;
    }
    if (!found) return true;
    const bool pointerForm =
        (found->type == tiff::kTypeLong || found->type == tiff::kTypeIfd) && found->count == 1;
    if (!pointerForm || Repeated(found->value)) return false;
    out = Read(found->value);
    return out.has_value() || !needed;
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
  const std::uint32_t first = order->Get32(tiff, 4);
  reader.Repeated(first);
  auto ifd0 = reader.Read(first);
  if (!ifd0) return std::nullopt;
  ExifLayout layout{*order, std::move(*ifd0), {}, {}, {}, {}};
  // A chain that leads out of the block ends there: nothing of it is in the block to edit.
  for (std::uint32_t next = layout.ifd0.next; next != 0; next = layout.chain.back().next) {
    if (layout.chain.size() == kMaxIfdChain || reader.Repeated(next)) return std::nullopt;
    auto ifd = reader.Read(next);
    if (!ifd) break;
    layout.chain.push_back(std::move(*ifd));
  }
  if (!reader.VisitPointer(layout.ifd0, kTagExifIfd, true, layout.exif)) return std::nullopt;
  if (!reader.VisitPointer(layout.ifd0, kTagGpsIfd, true, layout.gps)) return std::nullopt;
  if (layout.exif && !reader.VisitPointer(*layout.exif, kTagInteropIfd, false, layout.interop))
    return std::nullopt;
  return layout;
}

}  // namespace pixtrel
