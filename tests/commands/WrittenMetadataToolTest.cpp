// Metadata written right by every command, judged by independent readers: one eXIf chunk in a
// PNG, EXIF kept when a phone wrote a broken GPS pointer, EXIF from PNG, WebP, HEIC and AVIF
// completed as a JPEG requires, XMP from HEIC and AVIF carried, the IPTC block of JPEG files
// kept (or stripped, or without its location), a profile whose header misstates its size kept
// in every format, and a photo stored on its side upright even where it is otherwise copied.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/commands/CommandTools.h"
#include "tests/support/OutputCheck.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace pixtrel::test {
namespace {

const fs::path kAdobeRgb = "/usr/share/color/icc/colord/AdobeRGB1998.icc";

// A TIFF structure as a minimal writer leaves it: IFD0 with Make, an Exif IFD with the date, a
// GPS IFD with the latitude; nothing a JPEG requires besides. argv[1]: where to write it.
const char* kSparseExif = R"(
import struct, sys
def ifd(entries, at, data):
    out = struct.pack('>H', len(entries))
    tail = at + 2 + 12 * len(entries) + 4
    blob = b''
    for tag, typ, count, value in entries:
        if len(value) <= 4:
            out += struct.pack('>HHI', tag, typ, count) + value.ljust(4, b'\0')
        else:
            out += struct.pack('>HHII', tag, typ, count, tail + len(blob))
            blob += value + (b'\0' if len(value) % 2 else b'')
    return out + b'\0\0\0\0' + blob
exif_at = 8 + 2 + 3 * 12 + 4 + 10
exif = ifd([(0x9003, 2, 20, b'2024:02:03 04:05:06\0')], exif_at, b'')
gps_at = exif_at + len(exif)
gps = ifd([(1, 2, 2, b'N\0'), (2, 5, 3, struct.pack('>6I', 46, 1, 3, 1, 24, 1))], gps_at, b'')
ifd0 = ifd([(0x010F, 2, 10, b'PhoneMake\0'), (0x8769, 4, 1, struct.pack('>I', exif_at)),
            (0x8825, 4, 1, struct.pack('>I', gps_at))], 8, b'')
open(sys.argv[1], 'wb').write(b'MM\0*' + struct.pack('>I', 8) + ifd0 + exif + gps)
)";

// Inserts a chunk before IDAT. argv: png, type, payload file, output.
const char* kPngChunk = R"(
import struct, sys, zlib
png = open(sys.argv[1], 'rb').read()
data = open(sys.argv[3], 'rb').read()
kind = sys.argv[2].encode()
chunk = struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
at = png.index(b'IDAT') - 4
open(sys.argv[4], 'wb').write(png[:at] + chunk + png[at:])
)";

class WrittenMetadata : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    PIXTREL_SKIP_WITHOUT_EXIFTOOL();
    ASSERT_TRUE(MakePhoto(dir / "photo.jpg", 64, 48, 5));
    ASSERT_TRUE(ExifToolWrite(dir / "photo.jpg",
                              {"-Make=Korvane Test Camera", "-DateTimeOriginal=2026:07:14 10:11:12",
                               "-GPSLatitude=46.0569", "-GPSLatitudeRef=N", "-GPSLongitude=14.5058",
                               "-GPSLongitudeRef=E"}));
  }
  void Batch(const std::vector<std::string>& arguments) {
    const RunResult r = RunBatchTool(arguments, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  void Python(const char* code, const std::vector<std::string>& arguments) {
    const RunResult r = RunPython(code, arguments);
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  std::map<std::string, std::string> Tags(const std::string& name) {
    return ExifToolRead(dir / name);
  }
  TempFolder dir;
};

TEST_F(WrittenMetadata, APngCarriesOneExifChunkBeforeItsPixels) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("pngcheck");
  Batch({"convert", "--to", "png", "photo.jpg"});
  const std::vector<std::string> chunks = PngChunkTypes(FileContents(dir / "photo.jpg.png"));
  EXPECT_EQ(std::count(chunks.begin(), chunks.end(), "eXIf"), 1);
  const auto exif = std::find(chunks.begin(), chunks.end(), "eXIf");
  EXPECT_LT(exif, std::find(chunks.begin(), chunks.end(), "IDAT"));
  const RunResult check = RunProgram({"pngcheck", Path("photo.jpg.png")});
  EXPECT_EQ(check.exitCode, 0) << check.out;
  EXPECT_EQ(Tags("photo.jpg.png")["Make"], "Korvane Test Camera");
}

TEST_F(WrittenMetadata, AnEmptyGpsPointerLosesOnlyItself) {
  // The GPS pointer's count made 0, as some phones write it: exiftool skips it with a minor
  // warning and reads the rest.
  Bytes bytes = FileContents(dir / "photo.jpg");
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t tiff = text.find("Exif\0\0"s) + 6;
  ASSERT_LT(tiff, bytes.size());
  const bool big = bytes[tiff] == 'M';
  const std::string pointer = big ? "\x88\x25\x00\x04"s : "\x25\x88\x04\x00"s;
  const std::size_t entry = text.find(pointer, tiff);
  ASSERT_NE(entry, std::string::npos);
  std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(entry) + 4, 4, 0);
  WriteBytes(dir / "phone.jpg", bytes);
  ASSERT_EQ(Tags("phone.jpg")["Warning"], "[minor] Empty GPSInfo data");

  Batch({"resize-jpg", "--pixels", "32", "phone.jpg"});
  Batch({"convert", "--to", "png", "phone.jpg"});
  Batch({"convert", "--to", "webp", "--metadata", "strip-gps", "phone.jpg"});
  for (const std::string name : {"mini-phone.jpg", "phone.jpg.png", "phone.jpg.webp"}) {
    SCOPED_TRACE(name);
    auto tags = Tags(name);
    EXPECT_EQ(tags["Make"], "Korvane Test Camera");
    EXPECT_EQ(tags["DateTimeOriginal"], "2026:07:14 10:11:12");
    EXPECT_FALSE(tags.contains("GPSLatitude"));
    EXPECT_FALSE(tags.contains("Warning")) << tags["Warning"];
  }
}

TEST_F(WrittenMetadata, ExifFromEveryOtherFormatValidatesInAJpeg) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("webpmux");
  PIXTREL_SKIP_WITHOUT_PROGRAM("avifenc");
  PIXTREL_SKIP_WITHOUT_PROGRAM("heif-enc");
  Python(kSparseExif, {Path("sparse.tiff")});
  ASSERT_EQ(
      RunProgram({"convert", "-size", "40x30", "plasma:fractal", "-depth", "8", Path("plain.png")})
          .exitCode,
      0);
  Python(kPngChunk, {Path("plain.png"), "eXIf", Path("sparse.tiff"), Path("tagged.png")});
  ASSERT_EQ(RunProgram({"convert", Path("plain.png"), Path("plain.webp")}).exitCode, 0);
  ASSERT_EQ(RunProgram({"webpmux", "-set", "exif", Path("sparse.tiff"), Path("plain.webp"), "-o",
                        Path("tagged.webp")})
                .exitCode,
            0);
  ASSERT_EQ(
      RunProgram({"avifenc", "--exif", Path("sparse.tiff"), Path("plain.png"), Path("tagged.avif")})
          .exitCode,
      0);
  // heif-enc carries the EXIF of a JPEG source.
  ASSERT_EQ(RunProgram({"convert", Path("plain.png"), Path("plain.jpg")}).exitCode, 0);
  Bytes jpeg = FileContents(dir / "plain.jpg");
  const Bytes tiff = FileContents(dir / "sparse.tiff");
  Bytes app1{0xFF, 0xE1, 0, static_cast<std::uint8_t>(2 + 6 + tiff.size()), 'E', 'x', 'i',
             'f',  0,    0};
  app1.insert(app1.end(), tiff.begin(), tiff.end());
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  WriteBytes(dir / "sparse.jpg", jpeg);
  ASSERT_EQ(
      RunProgram({"heif-enc", "-q", "90", Path("sparse.jpg"), "-o", Path("tagged.heic")}).exitCode,
      0);
  for (const std::string source : {"tagged.png", "tagged.webp", "tagged.avif", "tagged.heic"}) {
    SCOPED_TRACE(source);
    ASSERT_EQ(Tags(source)["Make"], "PhoneMake");
    Batch({"convert", "--to", "jpg", source});
    const std::string output = source + ".jpg";
    EXPECT_EQ(PictureProblems(dir / output), std::vector<std::string>{});
    auto tags = Tags(output);
    EXPECT_EQ(tags["Make"], "PhoneMake");
    EXPECT_EQ(tags["DateTimeOriginal"], "2024:02:03 04:05:06");
    EXPECT_EQ(tags["ExifImageWidth"], "40");
    EXPECT_TRUE(tags["GPSLatitude"].starts_with("46.0566")) << tags["GPSLatitude"];
  }
}

TEST_F(WrittenMetadata, XmpOfHeicAndAvifComesAlong) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("avifenc");
  PIXTREL_SKIP_WITHOUT_PROGRAM("heif-enc");
  // Phones end the packet with a terminating zero.
  const std::string packet =
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"XMP Core 6.0.0\"><rdf:RDF "
      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
      "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
      "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\" xmp:CreatorTool=\"17.1.2\" "
      "photoshop:DateCreated=\"2024-02-03T04:05:06\" photoshop:City=\"Koper\"/></rdf:RDF>"
      "</x:xmpmeta>\0"s;
  WriteBytes(dir / "packet.xmp", Bytes(packet.begin(), packet.end()));
  Bytes jpeg = FileContents(dir / "photo.jpg");
  const std::string signature = "http://ns.adobe.com/xap/1.0/\0"s;
  const std::size_t length = 2 + signature.size() + packet.size();
  Bytes app1{0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
             static_cast<std::uint8_t>(length & 0xFF)};
  app1.insert(app1.end(), signature.begin(), signature.end());
  app1.insert(app1.end(), packet.begin(), packet.end());
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  WriteBytes(dir / "xmp.jpg", jpeg);
  ASSERT_EQ(
      RunProgram({"heif-enc", "-q", "90", Path("xmp.jpg"), "-o", Path("phone.heic")}).exitCode, 0);
  ASSERT_EQ(RunProgram({"convert", Path("photo.jpg"), Path("photo.png")}).exitCode, 0);
  ASSERT_EQ(
      RunProgram({"avifenc", "--xmp", Path("packet.xmp"), Path("photo.png"), Path("phone.avif")})
          .exitCode,
      0);
  for (const std::string source : {"phone.heic", "phone.avif"}) {
    ASSERT_EQ(Tags(source)["CreatorTool"], "17.1.2") << source;
    for (const std::string target : {"jpg", "png", "webp"}) {
      SCOPED_TRACE(source + " to " + target);
      Batch({"convert", "--to", target, source});
      auto tags = Tags(source + "." + target);
      EXPECT_EQ(tags["CreatorTool"], "17.1.2");
      EXPECT_EQ(tags["City"], "Koper");
    }
    Batch({"convert", "--to", "jpg", "--metadata", "strip-gps", source});
    auto tags = Tags(source + ".jpg");
    EXPECT_EQ(tags["CreatorTool"], "17.1.2");
    EXPECT_FALSE(tags.contains("City"));
  }
}

TEST_F(WrittenMetadata, TheIptcBlockIsKeptStrippedOrWithoutItsLocation) {
  ASSERT_TRUE(ExifToolWrite(dir / "photo.jpg",
                            {"-IPTC:Caption-Abstract=Boats at dawn", "-IPTC:Keywords=boat",
                             "-IPTC:CopyrightNotice=Korvane Agency", "-IPTC:City=Piran",
                             "-IPTC:Sub-location=Tartini Square", "-IPTC:Province-State=Primorska",
                             "-IPTC:Country-PrimaryLocationName=Slovenia"}));
  const std::vector<std::vector<std::string>> commands = {{"resize-jpg", "--pixels", "32"},
                                                          {"rotate"},
                                                          {"quality"},
                                                          {"greyscale"},
                                                          {"convert", "--to", "jpg"}};
  const std::vector<std::string> outputs = {"mini-photo.jpg", "right-photo.jpg", "q-photo.jpg",
                                            "bw-photo.jpg", "photo.jpg.jpg"};
  for (const std::string mode : {"keep", "strip", "strip-gps"}) {
    for (std::size_t i = 0; i < commands.size(); ++i) {
      SCOPED_TRACE(mode + ": " + outputs[i]);
      std::vector<std::string> arguments = commands[i];
      arguments.insert(arguments.end(), {"--metadata", mode, "photo.jpg"});
      Batch(arguments);
      auto tags = Tags(outputs[i]);
      EXPECT_EQ(tags["Caption-Abstract"], mode == "strip" ? "" : "Boats at dawn");
      EXPECT_EQ(tags["CopyrightNotice"], mode == "strip" ? "" : "Korvane Agency");
      EXPECT_EQ(tags["City"], mode == "keep" ? "Piran" : "");
      EXPECT_EQ(tags["Province-State"], mode == "keep" ? "Primorska" : "");
      if (mode != "keep") {
        for (const char* place : {"Piran", "Tartini", "Primorska", "Slovenia"})
          EXPECT_FALSE(FileHas(dir / outputs[i], place)) << place;
      }
    }
  }
}

TEST_F(WrittenMetadata, AProfileStatingTwoBytesTooFewIsKeptInEveryFormat) {
  if (!fs::exists(kAdobeRgb)) PIXTREL_SKIP_MISSING_TOOL() << kAdobeRgb << " (package colord-data)";
  // The profile with two bytes more than its header says, as some writers leave a Display P3
  // profile: LittleCMS reads it.
  Bytes profile = FileContents(kAdobeRgb);
  profile.insert(profile.end(), {0, 0});
  WriteBytes(dir / "short.icc", profile);
  ASSERT_TRUE(ExifToolWrite(dir / "photo.jpg", {"-ICC_Profile<=" + Path("short.icc")}));
  ASSERT_EQ(ExifToolBinary(dir / "photo.jpg", "ICC_Profile").size(), profile.size());
  Batch({"convert", "--to", "png", "photo.jpg"});
  Batch({"convert", "--to", "webp", "photo.jpg"});
  Batch({"resize-jpg", "--pixels", "64", "photo.jpg"});
  const Bytes jpegProfile = ExifToolBinary(dir / "mini-photo.jpg", "ICC_Profile");
  for (const std::string name : {"photo.jpg.png", "photo.jpg.webp", "mini-photo.jpg"}) {
    SCOPED_TRACE(name);
    const Bytes kept = ExifToolBinary(dir / name, "ICC_Profile");
    EXPECT_EQ(kept, jpegProfile) << "the same profile in every output";
    ASSERT_GE(kept.size(), profile.size());
    // The colour data is the source's; only the size in the header agrees with it now.
    EXPECT_TRUE(std::equal(profile.begin() + 128, profile.end(), kept.begin() + 128));
    const std::size_t stated = std::size_t{kept[0]} << 24 | std::size_t{kept[1]} << 16 |
                               std::size_t{kept[2]} << 8 | kept[3];
    EXPECT_EQ(stated, kept.size());
  }
}

TEST_F(WrittenMetadata, APhotoOnItsSideIsNeverCopiedAsItIs) {
  ASSERT_TRUE(ExifToolWrite(dir / "photo.jpg", {"-Orientation#=6"}));
  Batch({"convert", "--to", "png", "photo.jpg"});  // upright: the reference
  for (const std::string mode : {"strip", "strip-gps", "keep"}) {
    SCOPED_TRACE(mode);
    Batch({"resize-jpg", "--pixels", "100", "--shrink-only", "--metadata", mode, "photo.jpg"});
    const auto out = PilRgba(dir / "mini-photo.jpg");
    const auto upright = PilRgba(dir / "photo.jpg.png");
    ASSERT_TRUE(out && upright);
    EXPECT_EQ(out->width, 48);
    EXPECT_EQ(out->height, 64);
    EXPECT_LT(Compare(*out, *upright).mean, 8.0);  // a JPEG encoding of a detailed picture
    auto tags = Tags("mini-photo.jpg");
    EXPECT_EQ(tags.count("Orientation") == 0 || tags["Orientation"] == "1", true);
  }
  // Left as stored on request: then the copy is the file itself.
  Batch({"resize-jpg", "--pixels", "100", "--shrink-only", "--ignore-orientation", "photo.jpg"});
  EXPECT_EQ(FileContents(dir / "mini-photo.jpg"), FileContents(dir / "photo.jpg"));
}

}  // namespace
}  // namespace pixtrel::test
