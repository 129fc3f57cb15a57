#pragma once
// When a photo was taken, from its EXIF block: DateTimeOriginal of the EXIF directory, else
// DateTime of the first directory ("YYYY:MM:DD HH:MM:SS").
#include <cstdint>
#include <optional>
#include <span>

namespace pixtrel {

struct CaptureDate {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// exif from its TIFF header on (as PictureMetadata keeps it); nothing when absent, damaged or
// not a real date.
std::optional<CaptureDate> ReadCaptureDate(std::span<const std::uint8_t> exif);

}  // namespace pixtrel
