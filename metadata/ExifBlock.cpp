#include "metadata/ExifBlock.h"

#include <algorithm>
#include <cstring>

#include "metadata/ExifJpegRules.h"
#include "metadata/ExifLayout.h"
#include "metadata/ExifPayload.h"

namespace pixtrel {
namespace {

using tiff::Entry;
using tiff::Ifd;

bool StartsWithExifHeader(std::span<const std::uint8_t> block) {
  return block.size() >= 6 && std::memcmp(block.data(), "Exif\0\0", 6) == 0;
}

// Which bytes an edit clears: those of removed directories and their values, less any byte a
// kept directory or value also uses (writers may share one value between directories). Held as
// ranges, so a hostile block with many large overlapping values costs no more than a sort.
class ZeroMask {
 public:
  void Remove(std::size_t offset, std::size_t size) { removed_.push_back({offset, offset + size}); }
  void Keep(std::size_t offset, std::size_t size) { kept_.push_back({offset, offset + size}); }

  void ApplyTo(std::vector<std::uint8_t>& bytes) {
    std::sort(removed_.begin(), removed_.end());
    std::sort(kept_.begin(), kept_.end());
    auto kept = kept_.begin();
    std::size_t keptEnd = 0;  // end of the kept ranges that start before `from`
    std::size_t from = 0;     // bytes before this are done
    for (const Range& range : removed_) {
      for (std::size_t i = std::max(from, range.begin); i < range.end; ++i) {
        while (kept != kept_.end() && kept->begin <= i)
          keptEnd = std::max(keptEnd, (kept++)->end);
        if (i >= keptEnd) bytes[i] = 0;
      }
      from = std::max(from, range.end);
    }
  }

 private:
  struct Range {
    std::size_t begin, end;
    auto operator<=>(const Range&) const = default;
  };
  std::vector<Range> removed_, kept_;
};

// Marks a removed directory and its out-of-line values. False when a value cannot be located
// (outside the block, or a type of unknown size): its bytes could not be cleared.
bool RemoveDirectory(const Ifd& ifd, std::size_t blockSize, ZeroMask& mask) {
  mask.Remove(ifd.at, ifd.byteSize());
  for (const Entry& entry : ifd.entries) {
    const auto value = tiff::ValueOf(entry, blockSize);
    if (!value) return false;
    if (!value->inLine) mask.Remove(value->offset, value->size);
  }
  return true;
}

void KeepDirectory(const Ifd& ifd, std::size_t blockSize, ZeroMask& mask) {
  mask.Keep(ifd.at, ifd.byteSize());
  for (const Entry& entry : ifd.entries) {
    const auto value = tiff::ValueOf(entry, blockSize);
    if (value && !value->inLine) mask.Keep(value->offset, value->size);
  }
}

// Marks the pictures of a pair of offset and length tags (a JPEG thumbnail, or strips). False
// when one lies outside the block.
bool RemovePictureData(std::span<const std::uint8_t> tiff, const Ifd& ifd,
                       const tiff::ByteOrder& order, std::uint16_t offsetTag,
                       std::uint16_t lengthTag, ZeroMask& mask) {
  const Entry* offsets = ifd.Find(offsetTag);
  const Entry* lengths = ifd.Find(lengthTag);
  if (!offsets || !lengths) return true;
  if (offsets->count != lengths->count) return false;
  for (std::uint32_t i = 0; i < offsets->count; ++i) {
    const auto offset = tiff::NumberAt(tiff, *offsets, i, order);
    const auto length = tiff::NumberAt(tiff, *lengths, i, order);
    if (!offset || !length || std::uint64_t{*offset} + *length > tiff.size()) return false;
    mask.Remove(*offset, *length);
  }
  return true;
}

// Sets the first number of a SHORT or LONG entry; a SHORT that cannot hold it stays as it was.
void SetNumber(std::span<std::uint8_t> tiff, const Entry* entry, const tiff::ByteOrder& order,
               std::uint32_t number) {
  if (!entry || entry->count == 0) return;
  const auto value = tiff::ValueOf(*entry, tiff.size());
  if (!value) return;
  if (entry->type == tiff::kTypeShort && number <= 0xffff)
    order.Put16(tiff, value->offset, static_cast<std::uint16_t>(number));
  else if (entry->type == tiff::kTypeLong)
    order.Put32(tiff, value->offset, number);
}

// Takes a pointer tag out of the directory at ifdAt: the later entries move down one place, the
// count drops by one, the next-directory offset follows the last entry and the 12 bytes freed
// are cleared.
void UnlinkEntry(std::span<std::uint8_t> tiff, const tiff::ByteOrder& order, std::size_t ifdAt,
                 std::uint16_t tag) {
  const std::size_t entries = order.Get16(tiff, ifdAt);
  const std::size_t first = ifdAt + 2;
  std::size_t removed = 0;
  while (removed < entries && order.Get16(tiff, first + 12 * removed) != tag)
    ++removed;
  if (removed == entries) return;
  const std::uint32_t next = order.Get32(tiff, first + 12 * entries);
  std::memmove(&tiff[first + 12 * removed], &tiff[first + 12 * (removed + 1)],
               12 * (entries - 1 - removed));
  order.Put16(tiff, ifdAt, static_cast<std::uint16_t>(entries - 1));
  const std::size_t end = first + 12 * (entries - 1);
  order.Put32(tiff, end, next);
  std::memset(&tiff[end + 4], 0, 12);
}

}  // namespace

std::span<const std::uint8_t> TiffPart(std::span<const std::uint8_t> block) {
  std::span<const std::uint8_t> tiff = block;
  if (StartsWithExifHeader(block)) {
    tiff = block.subspan(6);
  } else if (!tiff::HeaderByteOrder(block)) {
    // HEIF: a big-endian count of the bytes between this number and the TIFF header.
    if (const auto after = AfterExifOffset(block)) tiff = *after;
  }
  if (!tiff::HeaderByteOrder(tiff)) return {};
  return tiff;
}

int ExifOrientation(std::span<const std::uint8_t> exif) {
  if (exif.size() > kMaxExifBytes) return 1;
  const auto tiff = TiffPart(exif);
  const auto order = tiff::HeaderByteOrder(tiff);
  if (!order) return 1;
  const auto ifd0 = tiff::ReadIfd(tiff, order->Get32(tiff, 4), *order);
  const Entry* entry = ifd0 ? ifd0->Find(kTagOrientation) : nullptr;
  if (!entry || entry->type != tiff::kTypeShort) return 1;
  const auto orientation = tiff::NumberAt(tiff, *entry, 0, *order);
  if (!orientation || *orientation < 1 || *orientation > 8) return 1;
  return static_cast<int>(*orientation);
}

std::vector<std::uint8_t> EditExif(std::span<const std::uint8_t> exif, const ExifEdit& edit) {
  if (exif.size() > kMaxExifBytes) return {};
  const auto tiff = TiffPart(exif);
  const auto layout = ReadExifLayout(tiff);
  if (!layout) return {};
  const tiff::ByteOrder& order = layout->order;
  std::vector<std::uint8_t> out(tiff.begin(), tiff.end());

  if (edit.orientationToOne) SetNumber(out, layout->ifd0.Find(kTagOrientation), order, 1);
  if (edit.width > 0 && edit.height > 0 && layout->exif) {
    SetNumber(out, layout->exif->Find(kTagPixelXDimension), order, edit.width);
    SetNumber(out, layout->exif->Find(kTagPixelYDimension), order, edit.height);
  }

  const bool dropThumbnail = edit.dropThumbnail && !layout->chain.empty();
  const bool dropGps = edit.dropGps && layout->gps;
  ZeroMask mask;
  if (dropThumbnail) {
    const Ifd& ifd1 = layout->chain.front();
    if (!RemoveDirectory(ifd1, tiff.size(), mask) ||
        !RemovePictureData(tiff, ifd1, order, kTagThumbnailOffset, kTagThumbnailLength, mask) ||
        !RemovePictureData(tiff, ifd1, order, kTagStripOffsets, kTagStripByteCounts, mask))
      return {};
  }
  if (dropGps && !RemoveDirectory(*layout->gps, tiff.size(), mask)) return {};

  mask.Keep(0, 8);
  KeepDirectory(layout->ifd0, tiff.size(), mask);
  if (layout->exif) KeepDirectory(*layout->exif, tiff.size(), mask);
  if (layout->interop) KeepDirectory(*layout->interop, tiff.size(), mask);
  if (layout->gps && !dropGps) KeepDirectory(*layout->gps, tiff.size(), mask);
  if (!dropThumbnail) {
    for (const Ifd& ifd : layout->chain)
      KeepDirectory(ifd, tiff.size(), mask);
  }
  mask.ApplyTo(out);

  if (edit.dropThumbnail) order.Put32(out, layout->ifd0.at + layout->ifd0.byteSize() - 4, 0);
  // Broken pointers go in every mode: readers skip them, and what they hold is not read either.
  std::vector<std::uint16_t> unlink = layout->brokenPointers;
  if (dropGps) unlink.push_back(kTagGpsIfd);
  for (const std::uint16_t tag : unlink)
    UnlinkEntry(out, order, layout->ifd0.at, tag);
  if (edit.jpegRules) CompleteExifForJpeg(out, {edit.width, edit.height, edit.uncalibratedColour});
  // A value stored where a directory's own entries lie (a hostile block) moves when an entry is
  // taken out or another value written: a block that would no longer read upright is not
  // carried at all, so a turned picture is never tagged to be turned again.
  if (edit.orientationToOne && ExifOrientation(out) != 1) return {};
  return out;
}

}  // namespace pixtrel
