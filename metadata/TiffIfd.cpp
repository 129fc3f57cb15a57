#include "metadata/TiffIfd.h"

namespace pixtrel::tiff {

std::uint16_t ByteOrder::Get16(std::span<const std::uint8_t> bytes, std::size_t at) const {
  const unsigned a = bytes[at], b = bytes[at + 1];
  return static_cast<std::uint16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
}

std::uint32_t ByteOrder::Get32(std::span<const std::uint8_t> bytes, std::size_t at) const {
  const std::uint32_t high = Get16(bytes, bigEndian ? at : at + 2);
  const std::uint32_t low = Get16(bytes, bigEndian ? at + 2 : at);
  return (high << 16) | low;
}

void ByteOrder::Put16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) const {
  const auto high = static_cast<std::uint8_t>(value >> 8);
  const auto low = static_cast<std::uint8_t>(value & 0xff);
  bytes[at] = bigEndian ? high : low;
  bytes[at + 1] = bigEndian ? low : high;
}

void ByteOrder::Put32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) const {
  const auto high = static_cast<std::uint16_t>(value >> 16);
  const auto low = static_cast<std::uint16_t>(value & 0xffff);
  Put16(bytes, at, bigEndian ? high : low);
  Put16(bytes, at + 2, bigEndian ? low : high);
}

std::optional<ByteOrder> HeaderByteOrder(std::span<const std::uint8_t> tiff) {
  if (tiff.size() < 8) return std::nullopt;
  if (tiff[0] == 'I' && tiff[1] == 'I' && tiff[2] == 42 && tiff[3] == 0) return ByteOrder{false};
  if (tiff[0] == 'M' && tiff[1] == 'M' && tiff[2] == 0 && tiff[3] == 42) return ByteOrder{true};
  return std::nullopt;
}

const Entry* Ifd::Find(std::uint16_t tag) const {
  for (const Entry& entry : entries) {
    if (entry.tag == tag) return &entry;
  }
  return nullptr;
}

std::optional<Ifd> ReadIfd(std::span<const std::uint8_t> tiff, std::uint32_t offset,
                           const ByteOrder& order) {
  // The header takes the first 8 bytes; no directory can start inside it.
  if (offset < 8 || std::size_t{offset} + 2 > tiff.size()) return std::nullopt;
  const std::size_t count = order.Get16(tiff, offset);
  const std::size_t end = std::size_t{offset} + 2 + 12 * count + 4;
  if (end > tiff.size()) return std::nullopt;
  Ifd ifd;
  ifd.at = offset;
  ifd.entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = offset + 2 + 12 * i;
    ifd.entries.push_back(Entry{at, order.Get16(tiff, at), order.Get16(tiff, at + 2),
                                order.Get32(tiff, at + 4), order.Get32(tiff, at + 8)});
  }
  ifd.next = order.Get32(tiff, end - 4);
  return ifd;
}

std::size_t TypeSize(std::uint16_t type) {
  switch (type) {
    case 1:  // BYTE
    case 2:  // ASCII
    case 6:  // SBYTE
    case 7:  // UNDEFINED
      return 1;
    case 3:  // SHORT
    case 8:  // SSHORT
      return 2;
    case 4:   // LONG
    case 9:   // SLONG
    case 11:  // FLOAT
    case 13:  // IFD
      return 4;
    case 5:   // RATIONAL
    case 10:  // SRATIONAL
    case 12:  // DOUBLE
      return 8;
    default:
      return 0;
  }
}

std::optional<ValueSpan> ValueOf(const Entry& entry, std::size_t blockSize) {
  const std::size_t element = TypeSize(entry.type);
  if (element == 0) return std::nullopt;
  // 64-bit: a count near 2^32 times 8 must not wrap.
  const std::uint64_t size = std::uint64_t{entry.count} * element;
  if (size <= 4) return ValueSpan{entry.at + 8, static_cast<std::size_t>(size), true};
  if (entry.value + size > blockSize) return std::nullopt;
  return ValueSpan{entry.value, static_cast<std::size_t>(size), false};
}

std::optional<std::uint32_t> NumberAt(std::span<const std::uint8_t> tiff, const Entry& entry,
                                      std::uint32_t i, const ByteOrder& order) {
  if (entry.type != kTypeShort && entry.type != kTypeLong) return std::nullopt;
  const auto value = ValueOf(entry, tiff.size());
  if (!value || i >= entry.count) return std::nullopt;
  if (entry.type == kTypeShort) return order.Get16(tiff, value->offset + 2 * std::size_t{i});
  return order.Get32(tiff, value->offset + 4 * std::size_t{i});
}

}  // namespace pixtrel::tiff
