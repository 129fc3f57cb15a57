// "Remove" removes on every path: with --metadata strip or strip-gps, whether the picture is
// re-encoded or (with --shrink-only) left as it is, no output carries a byte of a metadata
// carrier the reader did not take apart: a second picture after a JPEG's end (as phones append
// one), an IPTC city, GPS only in an extended XMP segment, a PNG eXIf chunk with a bad CRC, a PNG
// zTXt "Raw profile type exif", a WebP EXIF chunk its header does not announce, XMP and a comment
// in a GIF. exiftool, which reads all of them in the sources, finds no position or place in the
// outputs.
#include <gtest/gtest.h>

#include "tests/commands/CommandTools.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

// Builds the carriers from photo.jpg, plain.png, plain.webp, plain.gif and second.jpg (a small
// JPEG with GPS) in the folder argv[1].
const char* kCarriers = R"(
import hashlib, os, struct, sys, zlib
d = sys.argv[1]
def read(name): return open(os.path.join(d, name), 'rb').read()
def write(name, data): open(os.path.join(d, name), 'wb').write(data)

def ifd(entries, at):
    out = struct.pack('>H', len(entries))
    tail = at + 2 + 12 * len(entries) + 4
    blob = b''
    for tag, typ, count, value in entries:
        if len(value) <= 4:
            out += struct.pack('>HHI', tag, typ, count) + value.ljust(4, b'\0')
        else:
            out += struct.pack('>HHII', tag, typ, count, tail + len(blob))
            blob += value
    return out + b'\0\0\0\0' + blob
make = b'CarrierCam\0\0'
gps_at = 8 + 2 + 2 * 12 + 4 + len(make)
gps = ifd([(1, 2, 2, b'N\0'), (2, 5, 3, struct.pack('>6I', 46, 1, 3, 1, 24, 1))], gps_at)
tiff = b'MM\0*' + struct.pack('>I', 8) + ifd(
    [(0x010F, 2, len(make), make), (0x8825, 4, 1, struct.pack('>I', gps_at))], 8) + gps

def segment(marker, payload): return b'\xff' + bytes([marker]) + struct.pack('>H', len(payload) + 2) + payload

# A second picture after the end of the first, announced by an MPF segment.
photo = read('photo.jpg')
write('mpf.jpg', photo[:2] + segment(0xE2, b'MPF\0' + b'\0' * 16) + photo[2:] + read('second.jpg'))

# GPS and a city only in the extended part of an XMP packet.
extended = (b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF '
            b'xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description '
            b'rdf:about="" xmlns:exif="http://ns.adobe.com/exif/1.0/" '
            b'xmlns:photoshop="http://ns.adobe.com/photoshop/1.0/" exif:GPSLatitude="46,3.4N" '
            b'exif:GPSLongitude="14,30.3E" photoshop:City="Hiddenburg"/></rdf:RDF></x:xmpmeta>')
guid = hashlib.md5(extended).hexdigest().upper().encode()
main = (b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF '
        b'xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description rdf:about="" '
        b'xmlns:xmpNote="http://ns.adobe.com/xmp/note/" xmlns:dc="http://purl.org/dc/elements/1.1/" '
        b'xmpNote:HasExtendedXMP="' + guid + b'"/></rdf:RDF></x:xmpmeta>')
write('extxmp.jpg', photo[:2] + segment(0xE1, b'http://ns.adobe.com/xap/1.0/\0' + main) +
      segment(0xE1, b'http://ns.adobe.com/xmp/extension/\0' + guid +
              struct.pack('>II', len(extended), 0) + extended) + photo[2:])

def chunk(kind, data, crc=None):
    crc = zlib.crc32(kind + data) if crc is None else crc
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', crc)
png = read('plain.png')
at = png.index(b'IDAT') - 4
write('badcrc.png', png[:at] + chunk(b'eXIf', tiff, 0x12345678) + png[at:])
raw = b'Exif\0\0' + tiff
text = b'\nexif\n%8d\n' % len(raw) + b''.join(
    raw[i:i + 36].hex().encode() + b'\n' for i in range(0, len(raw), 36))
write('ztxt.png', png[:at] + chunk(b'zTXt', b'Raw profile type exif\0\0' + zlib.compress(text)) +
      png[at:])

# XMP with GPS and a city in a GIF application extension (raw, with its "magic trailer" that
# lets GIF readers skip it), and a comment.
gif = read('plain.gif')
at = 13 + (3 * (2 << (gif[10] & 7)) if gif[10] & 0x80 else 0)
xmp = extended.replace(b'Hiddenburg', b'Gifton')
magic = b'\x01' + bytes(range(255, -1, -1)) + b'\x00'
note = b'taken at 46N 14E'
write('xmp.gif', gif[:at] + b'\x21\xff\x0bXMP DataXMP' + xmp + magic +
      b'\x21\xfe' + bytes([len(note)]) + note + b'\x00' + gif[at:])

# An EXIF chunk after the bitstream of a simple (VP8) file: no VP8X announces it.
webp = read('plain.webp')
assert webp[12:16] == b'VP8 '
body = webp[12:] + b'EXIF' + struct.pack('<I', len(tiff)) + tiff + (b'\0' if len(tiff) % 2 else b'')
write('exif.webp', b'RIFF' + struct.pack('<I', len(body) + 4) + b'WEBP' + body)
)";

struct Carrier {
  std::string file;
  std::string command;
  std::string marker;  // bytes of the carrier that must not reach an output
};

const std::vector<Carrier> kCarrierList = {
    {"mpf.jpg", "resize-jpg", "CarrierCam"},
    {"iptc.jpg", "resize-jpg", "Secretville"},
    {"extxmp.jpg", "resize-jpg", "http://ns.adobe.com/xmp/extension/"},
    {"badcrc.png", "resize-png", "eXIf"},
    {"ztxt.png", "resize-png", "Raw profile type exif"},
    {"exif.webp", "resize-webp", "EXIF"},
    {"xmp.gif", "resize-gif", "XMP DataXMP"},
};

bool Locates(const std::string& tag) {
  for (const char* word : {"GPS", "City", "Sub-location", "Province", "State", "Country"}) {
    if (tag.find(word) != std::string::npos) return true;
  }
  return false;
}

class Privacy : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    PIXTREL_SKIP_WITHOUT_EXIFTOOL();
    ASSERT_TRUE(MakePhoto(dir / "photo.jpg", 48, 32, 4));
    ASSERT_TRUE(MakePhoto(dir / "second.jpg", 16, 12, 5));
    ASSERT_TRUE(ExifToolWrite(dir / "second.jpg",
                              {"-Make=CarrierCam", "-GPSLatitude=46.0566", "-GPSLatitudeRef=N"}));
    ASSERT_EQ(RunProgram({"convert", (dir / "photo.jpg").string(), (dir / "plain.png").string()})
                  .exitCode,
              0);
    ASSERT_EQ(RunProgram({"convert", (dir / "photo.jpg").string(), "-quality", "80",
                          (dir / "plain.webp").string()})
                  .exitCode,
              0);
    ASSERT_EQ(RunProgram({"convert", (dir / "photo.jpg").string(), (dir / "plain.gif").string()})
                  .exitCode,
              0);
    const RunResult made = RunPython(kCarriers, {dir.path().string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    fs::copy_file(dir / "photo.jpg", dir / "iptc.jpg");
    ASSERT_TRUE(ExifToolWrite(dir / "iptc.jpg",
                              {"-IPTC:City=Secretville", "-IPTC:Caption-Abstract=Harbour"}));
  }
  TempFolder dir;
};

TEST_F(Privacy, NoCarrierTheReaderDidNotTakeApartReachesAnOutput) {
  for (const Carrier& carrier : kCarrierList) {
    // The carrier is real: exiftool finds a place in it (the appended picture: its bytes).
    if (carrier.file != "mpf.jpg") {
      bool located = false;
      for (const auto& [tag, value] : ExifToolRead(dir / carrier.file))
        located = located || Locates(tag);
      EXPECT_TRUE(located) << carrier.file;
    }
    ASSERT_TRUE(FileHas(dir / carrier.file, carrier.marker)) << carrier.file;
  }
  for (const std::string mode : {"strip", "strip-gps"}) {
    for (const bool shrinkOnly : {true, false}) {
      for (const Carrier& carrier : kCarrierList) {
        SCOPED_TRACE(carrier.file + " " + mode + (shrinkOnly ? " --shrink-only" : ""));
        std::vector<std::string> arguments = {carrier.command, "--pixels", "48", "--metadata",
                                              mode};
        if (shrinkOnly) arguments.push_back("--shrink-only");
        arguments.push_back(carrier.file);
        const RunResult r = RunBatchTool(arguments, dir.path());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const fs::path output = dir / ("mini-" + carrier.file);
        EXPECT_FALSE(FileHas(output, carrier.marker));
        EXPECT_FALSE(FileHas(output, "CarrierCam"));
        for (const auto& [tag, value] : ExifToolRead(output))
          EXPECT_FALSE(Locates(tag)) << tag << " = " << value;
        const auto picture = PilRgba(output);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 48);
      }
    }
  }
  // What the reader does take apart stays with strip-gps: the IPTC caption.
  const RunResult r = RunBatchTool(
      {"resize-jpg", "--pixels", "48", "--shrink-only", "--metadata", "strip-gps", "iptc.jpg"},
      dir.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ExifToolRead(dir / "mini-iptc.jpg")["Caption-Abstract"], "Harbour");
}

}  // namespace
}  // namespace pixtrel::test
