#pragma once
// Sample files for the metadata tests, made by tools independent of the code under test: cjpeg
// for pictures, exiftool for tags (and to read them back), LittleCMS for profiles, and a small
// TIFF builder for EXIF blocks with a known layout.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "io/FileBytes.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {

// A JPEG written by cjpeg from a test pattern: SOI, JFIF APP0, tables, scan.
Bytes CjpegFile(const TempFolder& folder, int width, int height);

// Tags exiftool reads from a file: `exiftool -n -s ARGS FILE` as name -> value.
std::map<std::string, std::string> ExiftoolTags(const std::filesystem::path& file,
                                                const std::vector<std::string>& args = {});

// A photo tagged by exiftool in the given byte order: Make, Model, DateTimeOriginal,
// Orientation 6, ExifImageWidth/Height 64 x 48, GPS 48 51 23.76 N, 2.3522 E, 4321 m, a
// thumbnail, and the given ICC profile and XMP packet when not empty.
Bytes TaggedPhoto(const TempFolder& folder, bool bigEndian, const Bytes& icc, const Bytes& xmp);

// The latitude rationals of TaggedPhoto (48/1 51/1 594/25) as stored in that byte order.
Bytes LatitudeBytes(bool bigEndian);

bool Contains(const Bytes& haystack, const Bytes& needle);

// ICC profiles built with LittleCMS: sRGB, Adobe RGB primaries with gamma 2.2, grey with gamma
// 2.2, CMYK and Lab colour-space profiles (headers only) and an abstract profile.
Bytes SrgbProfile();
Bytes AdobeLikeProfile();
Bytes GreyProfile();
Bytes CmykProfile();
Bytes LabProfile();
Bytes AbstractProfile();

// A hand-built EXIF TIFF structure: IFD0 (Make "HandMake", Orientation 6, Exif and GPS
// pointers, XPComment "Hi!" after the GPS pointer), the Exif IFD (PixelXDimension 64 as SHORT,
// PixelYDimension 48 as LONG), the GPS IFD (LatitudeBytes) and IFD1 with a 16-byte thumbnail
// of 0xAB bytes. Offsets of interest are given for damaging it.
struct HandExif {
  Bytes tiff;
  bool bigEndian = true;
  std::size_t ifd0 = 0, exifIfd = 0, gpsIfd = 0, ifd1 = 0, thumbnail = 0, latitude = 0;
};
HandExif HandBuiltExif(bool bigEndian);

// Reads and writes numbers in a TIFF structure's byte order.
std::uint32_t TiffNumber(const Bytes& tiff, std::size_t at, int size, bool bigEndian);
void SetTiffNumber(Bytes& tiff, std::size_t at, int size, std::uint32_t value, bool bigEndian);

}  // namespace pixtrel::test
