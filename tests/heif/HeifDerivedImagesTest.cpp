// The canvases of grids and overlays read from the boxes, before libheif allocates them: every
// layout of iloc a file may use, and a few hundred bytes claiming a canvas of gigabytes refused.
#include "codecs/heif/HeifDerivedImages.h"

#include <gtest/gtest.h>

#include <string>

#include "codecs/heif/HeifFile.h"
#include "core/Errors.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

void Put(Bytes& out, std::uint64_t value, int size) {
  for (int i = size - 1; i >= 0; --i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes MakeBox(const std::string& type, const Bytes& body) {
  Bytes out;
  Put(out, body.size() + 8, 4);
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes FullBox(const std::string& type, int version, std::uint32_t flags, const Bytes& body) {
  Bytes full;
  Put(full, (std::uint32_t(version) << 24) | flags, 4);
  full.insert(full.end(), body.begin(), body.end());
  return MakeBox(type, full);
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts)
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

// The data of a grid (rows and columns) or an overlay (four fill values) with its canvas.
Bytes DerivedData(const std::string& type, std::uint32_t width, std::uint32_t height, bool wide) {
  Bytes data{0, static_cast<std::uint8_t>(wide ? 1 : 0)};
  Put(data, type == "grid" ? 0x0102 : 0, type == "grid" ? 2 : 8);
  Put(data, width, wide ? 4 : 2);
  Put(data, height, wide ? 4 : 2);
  return data;
}

Bytes Infe(int version, std::uint32_t id, const std::string& type) {
  Bytes body;
  Put(body, id, version == 2 ? 2 : 4);
  Put(body, 0, 2);
  body.insert(body.end(), type.begin(), type.end());
  return FullBox("infe", version, 0, body);
}

struct Layout {
  int ilocVersion = 1;
  int infeVersion = 2;
  bool inIdat = true;       // construction method 1; else the data lies in an mdat after meta
  int offsetSize = 4;       // of iloc's offsets, lengths and base offsets
  std::uint64_t shift = 0;  // added to the data's offset, to place it wrongly
};

// ftyp, then meta with a coded item 1 and the derived item 2 (the primary one) whose data
// follows iloc's layout, then the mdat that holds it when it is not in idat.
Bytes MakeFile(const std::string& type, const Bytes& data, const Layout& layout) {
  const Bytes ftyp = MakeBox("ftyp", {'h', 'e', 'i', 'c', 0, 0, 0, 0, 'm', 'i', 'f', '1'});
  const int idBytes = layout.ilocVersion < 2 ? 2 : 4;
  Bytes iinfBody;
  Put(iinfBody, 2, layout.infeVersion == 2 ? 2 : 4);
  const int iinfVersion = layout.infeVersion == 2 ? 0 : 1;
  iinfBody =
      Join({iinfBody, Infe(layout.infeVersion, 1, "hvc1"), Infe(layout.infeVersion, 2, type)});
  const Bytes iinf = FullBox("iinf", iinfVersion, 0, iinfBody);
  const Bytes pitm = FullBox("pitm", 0, 0, {0, 2});

  auto iloc = [&](std::uint64_t mdatData) {
    const int o = layout.offsetSize;
    Bytes body;
    Put(body, (o << 12) | (o << 8) | (o << 4), 2);
    Put(body, 1, idBytes);
    Put(body, 2, idBytes);
    if (layout.ilocVersion >= 1) Put(body, layout.inIdat ? 1 : 0, 2);
    Put(body, 0, 2);                             // data reference
    Put(body, layout.inIdat ? 0 : mdatData, o);  // base offset
    Put(body, 1, 2);                             // one extent
    Put(body, layout.shift, o);                  // its offset
    Put(body, data.size(), o);                   // its length
    return FullBox("iloc", layout.ilocVersion, 0, body);
  };
  const Bytes idat = layout.inIdat ? MakeBox("idat", data) : Bytes{};
  const Bytes hdlr = FullBox("hdlr", 0, 0, {0, 0, 0, 0, 'p', 'i', 'c', 't', 0, 0, 0, 0, 0});
  // The meta box's size does not depend on where mdat lies: measure it with a dummy first.
  const std::size_t metaSize =
      FullBox("meta", 0, 0, Join({hdlr, pitm, iinf, iloc(0), idat})).size();
  const std::uint64_t mdatData = ftyp.size() + metaSize + 8;
  const Bytes meta = FullBox("meta", 0, 0, Join({hdlr, pitm, iinf, iloc(mdatData), idat}));
  return Join({ftyp, meta, layout.inIdat ? Bytes{} : MakeBox("mdat", data)});
}

std::string Sizes(const Bytes& file) {
  std::string text;
  for (const CanvasSize& size : DerivedImageSizes(file))
    text += std::to_string(size.width) + "x" + std::to_string(size.height) + " ";
  return text;
}

TEST(HeifDerivedImages, CanvasesAreFoundWhereverILocPutsTheirData) {
  // A phone's grid: iloc version 1, its data in idat, 16-bit sizes.
  EXPECT_EQ(Sizes(MakeFile("grid", DerivedData("grid", 4032, 3024, false), {})), "4032x3024 ");
  // iloc version 0 (no construction method) with the data in mdat, 32-bit sizes, 8-byte offsets.
  Layout inMdat{.ilocVersion = 0, .inIdat = false, .offsetSize = 8};
  EXPECT_EQ(Sizes(MakeFile("grid", DerivedData("grid", 70000, 5, true), inMdat)), "70000x5 ");
  // iloc version 2 and infe version 3 (32-bit item IDs), an overlay, 4-byte fields.
  Layout wide{.ilocVersion = 2, .infeVersion = 3, .inIdat = false};
  EXPECT_EQ(Sizes(MakeFile("iovl", DerivedData("iovl", 640, 480, false), wide)), "640x480 ");
  // A coded item only: nothing derived to check.
  EXPECT_EQ(Sizes(MakeFile("hvc1", Bytes(12, 0), {})), "");
}

TEST(HeifDerivedImages, DataOutsideItsPlaceOrCutShortGivesNoSize) {
  const Bytes data = DerivedData("grid", 4032, 3024, false);
  EXPECT_EQ(Sizes(MakeFile("grid", data, {.shift = 100})), "");
  EXPECT_EQ(Sizes(MakeFile("grid", data, {.inIdat = false, .shift = 1u << 30})), "");
  EXPECT_EQ(Sizes(MakeFile("grid", Bytes(data.begin(), data.begin() + 5), {})), "");
  // Every cut of the file is walked without reading past it (ASan watches).
  const Bytes file = MakeFile("grid", data, {.inIdat = false});
  for (std::size_t length = 0; length < file.size(); ++length)
    (void)DerivedImageSizes(
        Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
}

TEST(HeifDerivedImages, AGridClaimingAHugeCanvasIsRefusedBeforeDecoding) {
  // Found by fuzzing: 700 bytes whose grid claimed 800 million pixels, which libheif allocated.
  const auto error = [](const Bytes& file) {
    try {
      (void)ReadHeifBytes(file);
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  const long before = PeakMemoryKiB();
  EXPECT_EQ(error(MakeFile("grid", DerivedData("grid", 30825, 26112, false), {}))
                .rfind("Picture too large: 30825 x 26112", 0),
            0u);
  EXPECT_EQ(error(MakeFile("iovl", DerivedData("iovl", 9000, 9000, false), {}))
                .rfind("Picture too large for its data: 9000 x 9000", 0),
            0u);
  EXPECT_LT(PeakMemoryKiB() - before, 64 * 1024);
}

}  // namespace
}  // namespace pixtrel::test
