#include "metadata/ExifJpegRules.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "metadata/ExifBlock.h"
#include "metadata/ExifLayout.h"

namespace pixtrel {
namespace {

using tiff::ByteOrder;
using tiff::Ifd;

constexpr std::uint16_t kTypeByte = 1, kTypeUndefined = 7, kTypeRational = 5;
// An APP1 segment holds this much of the block (after its length and "Exif\0\0").
constexpr std::size_t kMaxJpegExif = 65527;

// A tag to add: its type, count and value bytes in the block's byte order.
struct NewEntry {
  std::uint16_t tag;
  std::uint16_t type;
  std::uint32_t count;
  std::vector<std::uint8_t> value;
};

NewEntry Short(const ByteOrder& order, std::uint16_t tag, std::uint16_t number) {
  std::vector<std::uint8_t> value(2);
  order.Put16(value, 0, number);
  return {tag, tiff::kTypeShort, 1, value};
}

NewEntry Long(const ByteOrder& order, std::uint16_t tag, std::uint32_t number) {
  std::vector<std::uint8_t> value(4);
  order.Put32(value, 0, number);
  return {tag, tiff::kTypeLong, 1, value};
}

NewEntry Rational(const ByteOrder& order, std::uint16_t tag, std::uint32_t numerator) {
  std::vector<std::uint8_t> value(8);
  order.Put32(value, 0, numerator);
  order.Put32(value, 4, 1);
  return {tag, kTypeRational, 1, value};
}

NewEntry Bytes4(std::uint16_t tag, std::uint16_t type, std::array<std::uint8_t, 4> bytes) {
  return {tag, type, 4, {bytes.begin(), bytes.end()}};
}

// The picture layout of a TIFF file, which a JPEG's IFD0 must not describe.
constexpr std::array<std::uint16_t, 13> kNotInJpegIfd0 = {
    0x100, 0x101, 0x102, 0x103, 0x106, 0x111, 0x115, 0x116, 0x117, 0x11c, 0x201, 0x202, 0x212};

struct DirectoryChange {
  std::vector<NewEntry> add;
  std::vector<std::uint16_t> remove;
  bool empty() const { return add.empty() && remove.empty(); }
};

// Writes the directory anew at the end of the block (on a 4-byte boundary) with the change made,
// entries in tag order, the new values after it; clears the old one. Gives the new offset.
std::uint32_t Rewrite(std::vector<std::uint8_t>& tiff, const ByteOrder& order, const Ifd& ifd,
                      const DirectoryChange& change) {
  struct Slot {
    std::uint16_t tag;
    std::array<std::uint8_t, 12> bytes;
  };
  std::vector<Slot> slots;
  for (const tiff::Entry& entry : ifd.entries) {
    if (std::find(change.remove.begin(), change.remove.end(), entry.tag) != change.remove.end())
      continue;
    Slot slot{entry.tag, {}};
    std::copy_n(tiff.begin() + static_cast<std::ptrdiff_t>(entry.at), 12, slot.bytes.begin());
    slots.push_back(slot);
  }
  tiff.resize((tiff.size() + 3) & ~std::size_t{3}, 0);
  const std::size_t at = tiff.size();
  const std::size_t count = slots.size() + change.add.size();
  std::size_t valueAt = at + 2 + 12 * count + 4;
  std::vector<std::uint8_t> values;
  for (const NewEntry& entry : change.add) {
    Slot slot{entry.tag, {}};
    order.Put16(slot.bytes, 0, entry.tag);
    order.Put16(slot.bytes, 2, entry.type);
    order.Put32(slot.bytes, 4, entry.count);
    if (entry.value.size() <= 4) {
      std::copy(entry.value.begin(), entry.value.end(), slot.bytes.begin() + 8);
    } else {
      order.Put32(slot.bytes, 8, static_cast<std::uint32_t>(valueAt + values.size()));
      values.insert(values.end(), entry.value.begin(), entry.value.end());
    }
    slots.push_back(slot);
  }
  std::stable_sort(slots.begin(), slots.end(),
                   [](const Slot& a, const Slot& b) { return a.tag < b.tag; });
  tiff.resize(valueAt, 0);
  order.Put16(tiff, at, static_cast<std::uint16_t>(count));
  for (std::size_t i = 0; i < slots.size(); ++i)
    std::copy(slots[i].bytes.begin(), slots[i].bytes.end(), tiff.begin() + at + 2 + 12 * i);
  order.Put32(tiff, at + 2 + 12 * count, ifd.next);
  tiff.insert(tiff.end(), values.begin(), values.end());
  std::memset(&tiff[ifd.at], 0, ifd.byteSize());
  return static_cast<std::uint32_t>(at);
}

// The entry's value field, for pointing it at a directory written anew.
void SetPointer(std::vector<std::uint8_t>& tiff, const ByteOrder& order, const Ifd& parent,
                std::uint16_t tag, std::uint32_t offset) {
  if (const tiff::Entry* entry = parent.Find(tag)) order.Put32(tiff, entry->at + 8, offset);
}

}  // namespace

void CompleteExifForJpeg(std::vector<std::uint8_t>& tiff, const JpegExifFacts& facts) {
  const auto layout = ReadExifLayout(tiff);
  if (!layout || !layout->brokenPointers.empty()) return;
  const ByteOrder& order = layout->order;
  std::vector<std::uint8_t> out = tiff;

  if (layout->gps && !layout->gps->Find(0x0000)) {
    DirectoryChange change;
    change.add.push_back(Bytes4(0x0000, kTypeByte, {2, 3, 0, 0}));
    SetPointer(out, order, layout->ifd0, kTagGpsIfd, Rewrite(out, order, *layout->gps, change));
  }
  if (layout->exif) {
    const Ifd& exif = *layout->exif;
    DirectoryChange change;
    auto addMissing = [&](NewEntry entry) {
      if (!exif.Find(entry.tag)) change.add.push_back(std::move(entry));
    };
    addMissing(Bytes4(0x9000, kTypeUndefined, {'0', '2', '3', '2'}));
    addMissing(Bytes4(0x9101, kTypeUndefined, {1, 2, 3, 0}));
    addMissing(Bytes4(0xA000, kTypeUndefined, {'0', '1', '0', '0'}));
    addMissing(Short(order, 0xA001, facts.uncalibrated ? 0xFFFF : 1));
    if (facts.width > 0 && facts.height > 0) {
      addMissing(Long(order, kTagPixelXDimension, static_cast<std::uint32_t>(facts.width)));
      addMissing(Long(order, kTagPixelYDimension, static_cast<std::uint32_t>(facts.height)));
    }
    if (!change.empty())
      SetPointer(out, order, layout->ifd0, kTagExifIfd, Rewrite(out, order, exif, change));
  }
  DirectoryChange change;
  const Ifd& ifd0 = layout->ifd0;
  auto addMissing = [&](NewEntry entry) {
    if (!ifd0.Find(entry.tag)) change.add.push_back(std::move(entry));
  };
  addMissing(Rational(order, 0x11A, 72));
  addMissing(Rational(order, 0x11B, 72));
  addMissing(Short(order, 0x128, 2));
  addMissing(Short(order, 0x213, 1));
  for (const std::uint16_t tag : kNotInJpegIfd0) {
    if (ifd0.Find(tag)) change.remove.push_back(tag);
  }
  // IFD0's entries are copied from `out`, so pointers set above go with them.
  if (!change.empty()) {
    // Rewritten first: the rewrite may move `out`'s bytes, so no view of them may be taken before.
    const std::uint32_t at = Rewrite(out, order, ifd0, change);
    order.Put32(out, 4, at);
  }
  // A hostile block may lay its directories over one another, and rewriting one then changes
  // another: the completed block is taken only when it reads as the block did.
  const auto completed = ReadExifLayout(out);
  if (out.size() <= kMaxJpegExif && completed && completed->brokenPointers.empty() &&
      ExifOrientation(out) == ExifOrientation(tiff)) {
    tiff = std::move(out);
  }
}

}  // namespace pixtrel
