#include "metadata/ExifLayout.h"

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

  enum class Pointer { Absent, Found, Broken, Damaged };

  // The directory a pointer tag of parent names. Broken: the pointer has the wrong form or leads
  // out of the block (readers skip it); `out` then holds the directory its value names, if any.
  // Damaged: the tag is repeated, or its directory is one already seen.
  Pointer VisitPointer(const Ifd& parent, std::uint16_t tag, std::optional<Ifd>& out) {
    const tiff::Entry* found = nullptr;
    for (const tiff::Entry& entry : parent.entries) {
      if (entry.tag != tag) continue;
      if (found) return Pointer::Damaged;  // a second pointer could lead to data an edit misses
      found = &entry;
    }
    if (!found) return Pointer::Absent;
    const bool pointerForm =
        (found->type == tiff::kTypeLong || found->type == tiff::kTypeIfd) && found->count == 1;
    out = Read(found->value);
    if (!pointerForm) {
      // Readers skip it. The directory its value may still name is taken only when it is one of
      // its own, so that removing what it holds cannot clear another directory.
      if (out && Repeated(found->value)) out.reset();
      return Pointer::Broken;
    }
    if (!out) return Pointer::Broken;
    return Repeated(found->value) ? Pointer::Damaged : Pointer::Found;
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
  ExifLayout layout{*order, std::move(*ifd0), {}, {}, {}, {}, {}};
  // A chain that leads out of the block ends there: nothing of it is in the block to edit.
  for (std::uint32_t next = layout.ifd0.next; next != 0; next = layout.chain.back().next) {
    if (layout.chain.size() == kMaxIfdChain || reader.Repeated(next)) return std::nullopt;
    auto ifd = reader.Read(next);
    if (!ifd) break;
    layout.chain.push_back(std::move(*ifd));
  }
  for (const std::uint16_t tag : {kTagExifIfd, kTagGpsIfd}) {
    std::optional<Ifd>& directory = tag == kTagExifIfd ? layout.exif : layout.gps;
    switch (reader.VisitPointer(layout.ifd0, tag, directory)) {
      case LayoutReader::Pointer::Damaged:
        return std::nullopt;
      case LayoutReader::Pointer::Broken:
        layout.brokenPointers.push_back(tag);
        if (tag == kTagExifIfd) directory.reset();  // its tags are not edited, only unlinked
        break;
      case LayoutReader::Pointer::Absent:
      case LayoutReader::Pointer::Found:
        break;
    }
  }
  if (layout.exif) {
    std::optional<Ifd> interop;
    if (reader.VisitPointer(*layout.exif, kTagInteropIfd, interop) ==
        LayoutReader::Pointer::Damaged)
      return std::nullopt;
    layout.interop = std::move(interop);
  }
  return layout;
}

}  // namespace pixtrel
