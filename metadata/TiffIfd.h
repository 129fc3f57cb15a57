#pragma once
// The image file directories (IFDs) of a TIFF structure, as EXIF blocks use it: a directory is a
// 16-bit entry count, 12-byte entries (tag, type, count, value or offset) and the offset of the
// next directory. Every read here is checked against the block, so a damaged block gives
// nothing rather than a read out of bounds.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pixtrel::tiff {

// Byte-order aware reads and writes at an offset the caller has checked.
struct ByteOrder {
  bool bigEndian = false;

  std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) const;
  std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t at) const;
  void Put16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) const;
  void Put32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) const;
};

// The byte order a TIFF header ("II*\0" or "MM\0*") declares; nothing for anything else.
std::optional<ByteOrder> HeaderByteOrder(std::span<const std::uint8_t> tiff);

inline constexpr std::uint16_t kTypeShort = 3;
inline constexpr std::uint16_t kTypeLong = 4;
inline constexpr std::uint16_t kTypeIfd = 13;

struct Entry {
  std::size_t at = 0;  // offset of the entry's 12 bytes
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  std::uint32_t count = 0;
  std::uint32_t value = 0;  // the last four bytes read as one number: the offset when out of line
};

struct Ifd {
  std::size_t at = 0;  // offset of the entry count
  std::vector<Entry> entries;
  std::uint32_t next = 0;  // offset of the next directory, 0 for none

  // Bytes from the entry count to the end of the next-directory offset.
  std::size_t byteSize() const { return 2 + 12 * entries.size() + 4; }
  const Entry* Find(std::uint16_t tag) const;
};

// The directory at offset, when it (with its next-directory offset) lies within the block.
std::optional<Ifd> ReadIfd(std::span<const std::uint8_t> tiff, std::uint32_t offset,
                           const ByteOrder& order);

// Bytes per element of a field type, 0 for a type TIFF does not define.
std::size_t TypeSize(std::uint16_t type);

// Where an entry's value lies: inline in the entry, or out of line at an offset.
struct ValueSpan {
  std::size_t offset = 0;
  std::size_t size = 0;
  bool inLine = true;
};

// The entry's value, when its type is known and the whole value lies within the block.
std::optional<ValueSpan> ValueOf(const Entry& entry, std::size_t blockSize);

// Element i of a SHORT or LONG value that lies within the block.
std::optional<std::uint32_t> NumberAt(std::span<const std::uint8_t> tiff, const Entry& entry,
                                      std::uint32_t i, const ByteOrder& order);

}  // namespace pixtrel::tiff
