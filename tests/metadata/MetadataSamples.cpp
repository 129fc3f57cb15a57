#include "tests/metadata/MetadataSamples.h"

#include <lcms2.h>

#include <algorithm>
#include <sstream>

namespace pixtrel::test {

Bytes CjpegFile(const TempFolder& folder, int width, int height) {
  const Bitmap24 pattern = TestPattern(width, height, 3);
  const std::string head =
      "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  Bytes ppm(head.begin(), head.end());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Bgr p = PixelAt(pattern, x, y);
      ppm.insert(ppm.end(), {p.r, p.g, p.b});
    }
  }
  const auto in = folder / "pattern.ppm", out = folder / "pattern.jpg";
  WriteBytes(in, ppm);
  if (Run({"cjpeg", "-quality", "90", "-outfile", out.string(), in.string()}).exitCode != 0)
    return {};
  return FileContents(out);
}

std::map<std::string, std::string> ExiftoolTags(const std::filesystem::path& file,
                                                const std::vector<std::string>& args) {
  std::vector<std::string> argv{"exiftool", "-n", "-s"};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back(file.string());
  std::stringstream lines(Run(argv).out);
  std::map<std::string, std::string> tags;
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    name.erase(name.find_last_not_of(' ') + 1);
    tags[name] = line.substr(std::min(line.size(), colon + 2));
  }
  return tags;
}

Bytes TaggedPhoto(const TempFolder& folder, bool bigEndian, const Bytes& icc, const Bytes& xmp) {
  const auto photo = folder / "tagged.jpg", thumb = folder / "thumb.jpg";
  WriteBytes(thumb, CjpegFile(folder, 16, 12));
  WriteBytes(photo, CjpegFile(folder, 64, 48));
  std::vector<std::string> argv{"exiftool",
                                "-q",
                                "-overwrite_original",
                                bigEndian ? "-ExifByteOrder=MM" : "-ExifByteOrder=II",
                                "-Make=TestMake",
                                "-Model=TestModel",
                                "-DateTimeOriginal=2021:05:06 07:08:09",
                                "-Orientation#=6",
                                "-ExifImageWidth=64",
                                "-ExifImageHeight=48",
                                "-GPSLatitude=48 51 23.76",
                                "-GPSLatitudeRef=N",
                                "-GPSLongitude=2.3522",
                                "-GPSLongitudeRef=E",
                                "-GPSAltitude=4321",
                                "-GPSAltitudeRef=0",
                                "-ThumbnailImage<=" + thumb.string()};
  if (!icc.empty()) {
    WriteBytes(folder / "profile.icc", icc);
    argv.push_back("-ICC_Profile<=" + (folder / "profile.icc").string());
  }
  if (!xmp.empty()) {
    WriteBytes(folder / "packet.xmp", xmp);
    argv.push_back("-XMP<=" + (folder / "packet.xmp").string());
  }
  argv.push_back(photo.string());
  if (Run(argv).exitCode != 0) return {};
  return FileContents(photo);
}

Bytes LatitudeBytes(bool bigEndian) {
  Bytes out(24);
  const std::uint32_t numbers[] = {48, 1, 51, 1, 594, 25};
  for (int i = 0; i < 6; ++i)
    SetTiffNumber(out, 4 * i, 4, numbers[i], bigEndian);
  return out;
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

namespace {

Bytes Saved(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  Bytes out;
  if (profile && cmsSaveProfileToMem(profile, nullptr, &size)) {
    out.resize(size);
    cmsSaveProfileToMem(profile, out.data(), &size);
  }
  if (profile) cmsCloseProfile(profile);
  return out;
}

cmsHPROFILE RgbProfile(cmsCIExyYTRIPLE primaries) {
  cmsCIExyY white{0.3127, 0.3290, 1.0};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(gamma);
  return profile;
}

cmsHPROFILE WithClass(cmsHPROFILE profile, cmsProfileClassSignature c,
                      cmsColorSpaceSignature space) {
  cmsSetDeviceClass(profile, c);
  cmsSetColorSpace(profile, space);
  return profile;
}

// Writes values in the TIFF byte order and appends directories whose offsets come back.
class TiffBuilder {
 public:
  explicit TiffBuilder(bool bigEndian) : big_(bigEndian) {
    const std::uint8_t mark = bigEndian ? 'M' : 'I';
    bytes_ = {mark, mark, 0, 0, 0, 0, 0, 0};
    SetTiffNumber(bytes_, 2, 2, 42, big_);
  }
  struct Field {
    std::uint16_t tag, type;
    std::uint32_t count, value;  // a SHORT value sits in the first two bytes
  };
  std::size_t Append(const Bytes& data) {
    const std::size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return at;
  }
  std::size_t Directory(const std::vector<Field>& fields, std::uint32_t next = 0) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + 2 + 12 * fields.size() + 4);
    SetTiffNumber(bytes_, at, 2, static_cast<std::uint32_t>(fields.size()), big_);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::size_t e = at + 2 + 12 * i;
      const Field& f = fields[i];
      SetTiffNumber(bytes_, e, 2, f.tag, big_);
      SetTiffNumber(bytes_, e + 2, 2, f.type, big_);
      SetTiffNumber(bytes_, e + 4, 4, f.count, big_);
      SetTiffNumber(bytes_, e + 8, f.type == 3 && f.count == 1 ? 2 : 4, f.value, big_);
    }
    SetTiffNumber(bytes_, at + 2 + 12 * fields.size(), 4, next, big_);
    return at;
  }
  Bytes& bytes() { return bytes_; }

 private:
  bool big_;
  Bytes bytes_;
};

}  // namespace

Bytes SrgbProfile() {
  return Saved(cmsCreate_sRGBProfile());
}
Bytes AdobeLikeProfile() {
  return Saved(RgbProfile({{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}}));
}
Bytes GreyProfile() {
  cmsCIExyY white{0.3127, 0.3290, 1.0};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsHPROFILE profile = cmsCreateGrayProfile(&white, gamma);
  cmsFreeToneCurve(gamma);
  return Saved(profile);
}
Bytes CmykProfile() {
  return Saved(WithClass(cmsCreateProfilePlaceholder(nullptr), cmsSigOutputClass, cmsSigCmykData));
}
Bytes LabProfile() {
  return Saved(WithClass(cmsCreateLab4Profile(nullptr), cmsSigColorSpaceClass, cmsSigLabData));
}
Bytes AbstractProfile() {
  return Saved(cmsCreateLab4Profile(nullptr));
}

HandExif HandBuiltExif(bool bigEndian) {
  TiffBuilder t(bigEndian);
  HandExif h;
  h.bigEndian = bigEndian;
  h.latitude = t.Append(LatitudeBytes(bigEndian));
  h.thumbnail = t.Append(Bytes(16, 0xAB));
  const std::size_t make = t.Append({'H', 'a', 'n', 'd', 'M', 'a', 'k', 'e', 0});
  const std::size_t comment = t.Append({'H', 0, 'i', 0, '!', 0, 0, 0});
  const auto at = [](std::size_t offset) { return static_cast<std::uint32_t>(offset); };
  h.gpsIfd =
      t.Directory({{1, 2, 2, 0x4E000000u >> (bigEndian ? 0 : 24)}, {2, 5, 3, at(h.latitude)}});
  h.exifIfd = t.Directory({{0xA002, 3, 1, 64}, {0xA003, 4, 1, 48}});
  h.ifd1 = t.Directory({{0x0201, 4, 1, at(h.thumbnail)}, {0x0202, 4, 1, 16}});
  h.ifd0 = t.Directory({{0x010F, 2, 9, at(make)},
                        {0x0112, 3, 1, 6},
                        {0x8769, 4, 1, at(h.exifIfd)},
                        {0x8825, 4, 1, at(h.gpsIfd)},
                        {0x9C9C, 1, 8, at(comment)}},
                       at(h.ifd1));
  SetTiffNumber(t.bytes(), 4, 4, at(h.ifd0), bigEndian);
  h.tiff = t.bytes();
  return h;
}

std::uint32_t TiffNumber(const Bytes& tiff, std::size_t at, int size, bool bigEndian) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i)
    value |= std::uint32_t{tiff[at + i]} << (8 * (bigEndian ? size - 1 - i : i));
  return value;
}

void SetTiffNumber(Bytes& tiff, std::size_t at, int size, std::uint32_t value, bool bigEndian) {
  for (int i = 0; i < size; ++i)
    tiff[at + i] = static_cast<std::uint8_t>(value >> (8 * (bigEndian ? size - 1 - i : i)));
}

}  // namespace pixtrel::test
