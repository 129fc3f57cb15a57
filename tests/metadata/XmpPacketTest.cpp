// XMP edits: GPS and location properties removed and the orientation set to 1, in attribute and
// element form and under any prefix, read back by exiftool.
#include <gtest/gtest.h>

#include <string>

#include "metadata/XmpPacket.h"
#include "tests/metadata/MetadataSamples.h"

namespace pixtrel::test {
namespace {

const std::string kHead =
    "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
    " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n";
const std::string kTail =
    " </rdf:RDF>\n</x:xmpmeta>\n" + std::string(200, ' ') + "\n<?xpacket end=\"w\"?>";

// Every property to remove, as attributes under the usual prefixes.
const std::string kAttributeForm = kHead +
                                   "  <rdf:Description rdf:about=\"\"\n"
                                   "    xmlns:exif=\"http://ns.adobe.com/exif/1.0/\"\n"
                                   "    xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\"\n"
                                   "    xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\"\n"
                                   "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
                                   "    exif:GPSLatitude=\"48,51.396N\"\n"
                                   "    exif:GPSLongitude='2,21.132E'\n"
                                   "    tiff:Orientation=\"6\"\n"
                                   "    photoshop:City=\"Paris\"\n"
                                   "    photoshop:Country=\"France\"\n"
                                   "    xmp:Rating=\"4\"/>\n" +
                                   kTail;

// The same as elements, with other prefixes, a struct and a decoy namespace.
const std::string kElementForm =
    kHead +
    "  <rdf:Description rdf:about=\"\" xmlns:e=\"http://ns.adobe.com/exif/1.0/\"\n"
    "    xmlns:t=\"http://ns.adobe.com/tiff/1.0/\"\n"
    "    xmlns:ext=\"http://iptc.org/std/Iptc4xmpExt/2008-02-29/\"\n"
    "    xmlns:core=\"http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/\"\n"
    "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
    "   <e:GPSLatitude>48,51.396N</e:GPSLatitude>\n"
    "   <e:GPSAltitude>4321/1</e:GPSAltitude>\n"
    "   <t:Orientation>6</t:Orientation>\n"
    "   <core:Location>Rive gauche</core:Location>\n"
    "   <core:CountryCode>FR</core:CountryCode>\n"
    "   <ext:LocationShown>\n"
    "    <rdf:Bag>\n"
    "     <rdf:li rdf:parseType=\"Resource\"><ext:City>Paris</ext:City></rdf:li>\n"
    "    </rdf:Bag>\n"
    "   </ext:LocationShown>\n"
    "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Seine</rdf:li></rdf:Alt></dc:title>\n"
    "  </rdf:Description>\n"
    "  <rdf:Description rdf:about=\"\" xmlns:exif=\"http://example.com/not-exif/\">\n"
    "   <exif:GPSLatitude>kept</exif:GPSLatitude>\n"
    "  </rdf:Description>\n" +
    kTail;

Bytes AsBytes(const std::string& s) {
  return Bytes(s.begin(), s.end());
}
std::string AsText(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

std::map<std::string, std::string> XmpTags(const TempFolder& folder, const Bytes& packet) {
  WriteBytes(folder / "packet.xmp", packet);
  return ExiftoolTags(folder / "packet.xmp", {"-XMP:all"});
}

TEST(XmpPacket, BothFormsLoseLocationAndTurnUpright) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  TempFolder folder;
  auto before = XmpTags(folder, AsBytes(kElementForm));
  ASSERT_EQ(before["GPSAltitude"], "4321");
  ASSERT_EQ(before["LocationShownCity"], "Paris");

  const Bytes attributes = EditXmp(AsBytes(kAttributeForm), {true, true});
  auto tags = XmpTags(folder, attributes);
  EXPECT_EQ(tags["Orientation"], "1");
  EXPECT_EQ(tags["Rating"], "4");
  for (const char* gone : {"GPSLatitude", "GPSLongitude", "City", "Country"})
    EXPECT_FALSE(tags.contains(gone)) << gone;

  const Bytes elements = EditXmp(AsBytes(kElementForm), {true, true});
  tags = XmpTags(folder, elements);
  EXPECT_EQ(tags["Orientation"], "1");
  EXPECT_EQ(tags["Title"], "Seine");
  for (const char* gone : {"GPSAltitude", "Location", "CountryCode", "LocationShownCity"})
    EXPECT_FALSE(tags.contains(gone)) << gone;
  EXPECT_NE(AsText(elements).find("<exif:GPSLatitude>kept</exif:GPSLatitude>"), std::string::npos);
  EXPECT_EQ(AsText(elements).find("48,51.396N"), std::string::npos);
}

TEST(XmpPacket, KeepsWrapperPaddingAndWhatIsNotAsked) {
  const std::string edited = AsText(EditXmp(AsBytes(kElementForm), {false, false}));
  EXPECT_EQ(edited, kElementForm);
  const std::string upright = AsText(EditXmp(AsBytes(kAttributeForm), {true, false}));
  std::string expected = kAttributeForm;
  expected.replace(expected.find("Orientation=\"6\""), 15, "Orientation=\"1\"");
  EXPECT_EQ(upright, expected);
  const std::string stripped = AsText(EditXmp(AsBytes(kAttributeForm), {false, true}));
  EXPECT_TRUE(stripped.starts_with(kHead));
  EXPECT_TRUE(stripped.ends_with(kTail));
  EXPECT_NE(stripped.find("    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n    tiff:Orientation"),
            std::string::npos);
}

TEST(XmpPacket, MalformedPacketsGiveNothing) {
  const std::string description = "<rdf:Description rdf:about=\"\"";
  for (const std::string& bad : {
           kHead + description + " exif:GPSLatitude=\"1\"/>\n" + kTail,  // unbound prefix
           kHead + description + ">\n" + kTail,                          // never closed
           kHead + description + "/>\n </rdf:Bag>\n" + kTail,            // wrong end tag
           kHead + description + " a=\"unterminated/>\n" + kTail,
           kHead + description + " a=unquoted/>\n" + kTail,
           kHead + "<!-- unterminated comment",
           kHead + description,
       }) {
    EXPECT_TRUE(EditXmp(AsBytes(bad), {}).empty()) << bad;
  }
  Bytes utf16;
  for (char c : kAttributeForm)
    utf16.insert(utf16.end(), {static_cast<std::uint8_t>(c), 0});
  EXPECT_TRUE(EditXmp(utf16, {}).empty());
  EXPECT_TRUE(EditXmp(Bytes(kMaxXmpBytes + 1, ' '), {}).empty());
}

}  // namespace
}  // namespace pixtrel::test
