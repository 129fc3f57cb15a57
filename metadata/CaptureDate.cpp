#include "metadata/CaptureDate.h"

#include "metadata/TiffIfd.h"

namespace pixtrel {
namespace {

constexpr std::uint16_t kDateTime = 0x0132;
constexpr std::uint16_t kExifIfd = 0x8769;
constexpr std::uint16_t kDateTimeOriginal = 0x9003;
constexpr std::uint16_t kTypeAscii = 2;

int Digits(std::span<const std::uint8_t> text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::optional<CaptureDate> DateOf(std::span<const std::uint8_t> tiff, const tiff::Entry* entry) {
  if (!entry || entry->type != kTypeAscii || entry->count < 19) return std::nullopt;
  const std::optional<tiff::ValueSpan> value = tiff::ValueOf(*entry, tiff.size());
  if (!value || value->size < 19) return std::nullopt;
  const std::span<const std::uint8_t> text = tiff.subspan(value->offset, 19);
  if (text[4] != ':' || text[7] != ':' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
    return std::nullopt;
  CaptureDate date{Digits(text, 0, 4),  Digits(text, 5, 2),  Digits(text, 8, 2),
                   Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2)};
  // Cameras write "0000:00:00 00:00:00" or blanks when they do not know.
  if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31 ||
      date.hour < 0 || date.hour > 23 || date.minute < 0 || date.minute > 59 || date.second < 0 ||
      date.second > 60) {
    return std::nullopt;
  }
  return date;
}

}  // namespace

std::optional<CaptureDate> ReadCaptureDate(std::span<const std::uint8_t> exif) {
  const std::optional<tiff::ByteOrder> order = tiff::HeaderByteOrder(exif);
  if (!order || exif.size() < 8) return std::nullopt;
  const std::optional<tiff::Ifd> first = tiff::ReadIfd(exif, order->Get32(exif, 4), *order);
  if (!first) return std::nullopt;
  if (const tiff::Entry* pointer = first->Find(kExifIfd)) {
    if (const std::optional<tiff::Ifd> sub = tiff::ReadIfd(exif, pointer->value, *order)) {
      if (const auto date = DateOf(exif, sub->Find(kDateTimeOriginal))) return date;
    }
  }
  return DateOf(exif, first->Find(kDateTime));
}

}  // namespace pixtrel
