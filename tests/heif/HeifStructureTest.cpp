// HEIF files whose structure would keep libheif busy for a minute or take it a gigabyte: many
// items, many references, derived images standing on each other. They are refused from the
// boxes before libheif reads them; files within the limits read as before. Also a codec that
// prints on the standard error stream does not spoil pixtrel-batch's one-line messages.
#include "codecs/heif/HeifStructure.h"

#include <gtest/gtest.h>

#include <string>

#include "codecs/heif/HeifFile.h"
#include "core/ByteOrder.h"
#include "core/Errors.h"
#include "core/Limits.h"
#include "tests/heif/HeifTools.h"

namespace pixtrel::test {
namespace {

void Put(Bytes& out, std::uint64_t value, int size) {
  for (int i = size - 1; i >= 0; --i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes Box(const std::string& type, const Bytes& body) {
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
  return Box(type, full);
}

void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

// A 64 x 64 picture coded by heif-enc: its hvcC property and its coded data.
struct CodedPicture {
  Bytes hvcC;
  Bytes data;
};

CodedPicture MakeCodedPicture(const TempFolder& folder) {
  const Bytes file = Encode(folder, "heif-enc", {"-q", "50"},
                            WriteSourcePng(folder, TestPattern(64, 64)), "c.heic");
  CodedPicture coded;
  const std::size_t hvcC = Find(file, "hvcC"), mdat = Find(file, "mdat");
  if (hvcC == std::string::npos || mdat == std::string::npos || hvcC < 4) return coded;
  const std::size_t size = Be32(&file[hvcC - 4]);
  coded.hvcC.assign(file.begin() + static_cast<std::ptrdiff_t>(hvcC - 4),
                    file.begin() + static_cast<std::ptrdiff_t>(hvcC - 4 + size));
  // heif-enc writes one picture's data, alone, in its mdat.
  coded.data.assign(file.begin() + static_cast<std::ptrdiff_t>(mdat + 4), file.end());
  return coded;
}

struct Item {
  std::uint32_t id;
  std::string type;
  Bytes data;
  std::vector<int> properties;  // 1: hvcC, 2: ispe 64 x 64
  bool hidden = false;
  int entryVersion = 2;  // 0 and 1 give an item entry without a type
};

struct Reference {
  std::string type;
  std::uint32_t from;
  std::vector<std::uint32_t> to;
};

// ftyp and a meta box with the items (their data in idat), their properties and references.
Bytes MakeFile(const CodedPicture& coded, const std::vector<Item>& items, std::uint32_t primary,
               const std::vector<Reference>& references) {
  const Bytes ftyp =
      Box("ftyp", {'h', 'e', 'i', 'c', 0, 0, 0, 0, 'm', 'i', 'f', '1', 'h', 'e', 'i', 'c'});
  const Bytes hdlr = FullBox(
      "hdlr", 0, 0, {0, 0, 0, 0, 'p', 'i', 'c', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Bytes pitmBody;
  Put(pitmBody, primary, 2);
  Bytes infes, ilocBody, idatBody, ipmaBody;
  Put(ilocBody, (4 << 12) | (4 << 8), 2);
  Put(ilocBody, items.size(), 2);
  std::uint32_t associated = 0;
  Bytes associations;
  for (const Item& item : items) {
    Bytes infe;
    Put(infe, item.id, 2);
    Put(infe, 0, 2);
    if (item.entryVersion >= 2) infe.insert(infe.end(), item.type.begin(), item.type.end());
    infe.push_back(0);
    if (item.entryVersion < 2) infe.insert(infe.end(), {0, 0});
    Append(infes, FullBox("infe", item.entryVersion, item.hidden ? 1 : 0, infe));
    Put(ilocBody, item.id, 2);
    Put(ilocBody, 1, 2);  // in idat
    Put(ilocBody, 0, 2);
    Put(ilocBody, 1, 2);
    Put(ilocBody, idatBody.size(), 4);
    Put(ilocBody, item.data.size(), 4);
    Append(idatBody, item.data);
    if (!item.properties.empty()) {
      ++associated;
      Put(associations, item.id, 2);
      associations.push_back(static_cast<std::uint8_t>(item.properties.size()));
      for (const int p : item.properties)
        associations.push_back(static_cast<std::uint8_t>(p == 1 ? 0x80 | p : p));
    }
  }
  Bytes iinfBody;
  Put(iinfBody, items.size(), 2);
  Append(iinfBody, infes);
  Bytes ispe;
  Put(ispe, 64, 4);
  Put(ispe, 64, 4);
  Bytes ipco = coded.hvcC;
  Append(ipco, FullBox("ispe", 0, 0, ispe));
  Put(ipmaBody, associated, 4);
  Append(ipmaBody, associations);
  Bytes irefBody;
  for (const Reference& r : references) {
    Bytes body;
    Put(body, r.from, 2);
    Put(body, r.to.size(), 2);
    for (const std::uint32_t to : r.to)
      Put(body, to, 2);
    Append(irefBody, Box(r.type, body));
  }
  Bytes metaBody = hdlr;
  Append(metaBody, FullBox("pitm", 0, 0, pitmBody));
  Append(metaBody, FullBox("iloc", 1, 0, ilocBody));
  Append(metaBody, FullBox("iinf", 0, 0, iinfBody));
  Append(metaBody, Box("iprp", [&] {
           Bytes iprp = Box("ipco", ipco);
           Append(iprp, FullBox("ipma", 0, 0, ipmaBody));
           return iprp;
         }()));
  Append(metaBody, FullBox("iref", 0, 0, irefBody));
  Append(metaBody, Box("idat", idatBody));
  Bytes file = ftyp;
  Append(file, FullBox("meta", 0, 0, metaBody));
  return file;
}

// The picture with `count` EXIF items describing it.
Bytes WithExifItems(const CodedPicture& coded, int count) {
  std::vector<Item> items{{1, "hvc1", coded.data, {1, 2}}};
  std::vector<Reference> references;
  const Bytes tiff{0, 0, 0, 0, 'M', 'M', 0, '*', 0, 0, 0, 8, 0, 0};
  for (int i = 0; i < count; ++i) {
    items.push_back({static_cast<std::uint32_t>(2 + i), "Exif", tiff, {}});
    references.push_back({"cdsc", static_cast<std::uint32_t>(2 + i), {1}});
  }
  return MakeFile(coded, items, 1, references);
}

// The picture under `levels` derived images of the type, each made of the one below it (a
// grid of one tile, or an identity derivation); the top one is the primary image.
Bytes Derived(const CodedPicture& coded, const std::string& type, int levels) {
  std::vector<Item> items{{1, "hvc1", coded.data, {1, 2}, true}};
  std::vector<Reference> references;
  Bytes data;
  if (type == "grid") data = {0, 0, 0, 0, 0, 64, 0, 64};  // 1 x 1 tiles, 64 x 64
  for (int level = 0; level < levels; ++level) {
    const auto id = static_cast<std::uint32_t>(2 + level);
    items.push_back({id, type, data, {2}});
    references.push_back({"dimg", id, {level + 1 < levels ? id + 1 : 1u}});
  }
  return MakeFile(coded, items, 2, references);
}

std::string ReadError(const Bytes& file) {
  try {
    (void)ReadHeifBytes(file);
  } catch (const Exception& e) {
    return e.what();
  }
  return "no error";
}

class HeifStructureLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_ENCODER("heif-enc");
    coded = MakeCodedPicture(folder);
    ASSERT_FALSE(coded.hvcC.empty());
    ASSERT_FALSE(coded.data.empty());
  }
  TempFolder folder;
  CodedPicture coded;
};

TEST_F(HeifStructureLimits, FilesWithinTheLimitsReadAsBefore) {
  const Bitmap24 expected = std::get<Bitmap24>(ReadHeifBytes(WithExifItems(coded, 0)).raster);
  EXPECT_EQ(expected.width(), 64);
  EXPECT_EQ(expected.height(), 64);
  for (const Bytes& file : {WithExifItems(coded, 3), Derived(coded, "grid", 3),
                            Derived(coded, "iden", 3), Derived(coded, "grid", 8)}) {
    const DecodedPicture picture = ReadHeifBytes(file);
    EXPECT_EQ(MaxDifference(std::get<Bitmap24>(picture.raster), expected), 0);
  }
  const HeifStructure structure = ReadHeifStructure(WithExifItems(coded, 3));
  EXPECT_EQ(structure.items, 4);
  EXPECT_EQ(structure.references, 3);
  EXPECT_EQ(structure.depth, 0);
  EXPECT_EQ(ReadHeifStructure(Derived(coded, "iden", 5)).depth, 5);
}

TEST_F(HeifStructureLimits, TooManyItemsAreRefused) {
  // 10,000 EXIF items: libheif took over a minute over them.
  const Bytes file = WithExifItems(coded, 10000);
  EXPECT_EQ(ReadError(file), "HEIF error: the file has 10001 items (at most 1000)");
  // Chained derivations and nested grids by the thousand are refused for their items too.
  EXPECT_EQ(ReadError(Derived(coded, "iden", 5000)),
            "HEIF error: the file has 5001 items (at most 1000)");
  EXPECT_EQ(ReadError(Derived(coded, "grid", 3000)),
            "HEIF error: the file has 3001 items (at most 1000)");
  // pixtrel-batch refuses them at once, in a modest memory.
  WriteBytes(folder / "items.heic", file);
  WriteBytes(folder / "chain.heic", Derived(coded, "iden", 5000));
  for (const char* name : {"items.heic", "chain.heic"}) {
    const RunResult r = RunProgram(
        {PIXTREL_BATCH_PATH, "convert", "--to", "png", "-q", "-C", folder.path().string(), name},
        {}, 30);
    EXPECT_EQ(r.signal, 0) << name << " was not refused within 30 s";
    EXPECT_EQ(r.exitCode, 1) << r.err;
  }
  EXPECT_LT(PeakChildMemoryKiB(), 100L << 10);
}

TEST_F(HeifStructureLimits, DerivationsTooDeepAreRefused) {
  EXPECT_EQ(ReadError(Derived(coded, "grid", 9)),
            "HEIF error: images are derived from images more than 8 levels deep");
  EXPECT_EQ(ReadError(Derived(coded, "iden", 20)),
            "HEIF error: images are derived from images more than 8 levels deep");
  // A cycle never ends.
  std::vector<Item> items{
      {1, "hvc1", coded.data, {1, 2}, true}, {2, "iden", {}, {2}}, {3, "iden", {}, {2}}};
  const Bytes cycle = MakeFile(coded, items, 2, {{"dimg", 2, {3}}, {"dimg", 3, {2}}});
  EXPECT_GT(ReadHeifStructure(cycle).depth, kMaxHeifDerivationDepth);
  EXPECT_EQ(ReadError(cycle), "HEIF error: images are derived from images more than 8 levels deep");
}

TEST_F(HeifStructureLimits, TooManyReferencesAreRefused) {
  // One grid naming its one tile 2,001 times.
  std::vector<std::uint32_t> tiles(2001, 1);
  std::vector<Item> items{{1, "hvc1", coded.data, {1, 2}, true},
                          {2, "grid", {0, 0, 0, 0, 0, 64, 0, 64}, {2}}};
  const Bytes file = MakeFile(coded, items, 2, {{"dimg", 2, tiles}});
  EXPECT_EQ(ReadHeifStructure(file).references, 2001);
  EXPECT_EQ(ReadError(file), "HEIF error: the file has 2001 item references (at most 2000)");
}

// libheif 1.15 stops the process on such files instead of failing their read.
TEST_F(HeifStructureLimits, PicturesDerivedFromNothingOrWhatIsNotAPictureAreRefused) {
  const std::string refused =
      "HEIF error: a derived image is made from an item that is not a picture";
  std::vector<Item> items{{1, "hvc1", coded.data, {1, 2}, true},
                          {2, "iden", {}, {2}},
                          {3, "iden", {}, {2}},
                          {4, "Exif", {0, 0, 0, 0}, {}}};
  EXPECT_EQ(ReadError(MakeFile(coded, items, 2, {{"dimg", 2, {3}}, {"dimg", 3, {9}}})), refused);
  EXPECT_EQ(ReadError(MakeFile(coded, items, 2, {{"dimg", 2, {3}}, {"dimg", 3, {4}}})), refused);
  // libheif reads the references one after another whatever size their boxes give: behind a
  // box claiming to run far past the file, the third still names a missing item.
  items.push_back({5, "iden", {}, {2}});
  Bytes file = MakeFile(coded, items, 2, {{"dimg", 2, {3}}, {"dimg", 3, {5}}, {"dimg", 5, {9}}});
  const std::size_t second = Find(file, "dimg", Find(file, "dimg") + 4);
  ASSERT_NE(second, std::string::npos);
  file[second - 3] = 0x40;
  EXPECT_TRUE(ReadHeifStructure(file).derivedFromNonPicture);
  EXPECT_EQ(ReadError(file), refused);
  // An item entry of an old version has no type: libheif does not take it for a picture.
  std::vector<Item> untyped = items;
  untyped[2].entryVersion = 1;
  EXPECT_EQ(ReadError(MakeFile(coded, untyped, 2, {{"dimg", 2, {3}}, {"dimg", 3, {1}}})), refused);
  // An identity picture naming nothing to be made from, at the end of a chain.
  EXPECT_EQ(ReadError(MakeFile(coded, items, 2, {{"dimg", 2, {3}}, {"dimg", 5, {1}}})),
            "HEIF error: a derived image names no picture to be made from");
  EXPECT_TRUE(ReadHeifStructure(MakeFile(coded, items, 2, {{"dimg", 2, {3}}})).derivedFromNothing);
  // The same chain ending in the picture reads.
  items.pop_back();
  EXPECT_EQ(ReadError(MakeFile(coded, items, 2, {{"dimg", 2, {3}}, {"dimg", 3, {1}}})), "no error");
}

TEST(HeifQuiet, ACodecPrintingOnStderrLeavesOneLineMessages) {
  PIXTREL_SKIP_WITHOUT_ENCODER("avifenc");
  TempFolder folder;
  Bytes file = Encode(folder, "avifenc", {}, WriteSourcePng(folder, TestPattern(64, 48)), "s.avif");
  // The coded data starts with a temporal delimiter; made an OBU of a reserved type, the AV1
  // decoder skips it and prints "Unknown OBU type 9 of size 0" on its own.
  const std::size_t mdat = Find(file, "mdat");
  ASSERT_NE(mdat, std::string::npos);
  ASSERT_EQ(file[mdat + 4], 0x12);
  file[mdat + 4] = 0x4A;
  WriteBytes(folder / "noisy.avif", file);
  WriteBytes(folder / "z-broken.avif", Bytes(file.begin(), file.begin() + 200));
  const RunResult ok = RunProgram(
      {PIXTREL_BATCH_PATH, "convert", "--to", "png", "-C", folder.path().string(), "noisy.avif"});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_EQ(ok.err, "");
  const RunResult failed = RunProgram({PIXTREL_BATCH_PATH, "convert", "--to", "png", "-C",
                                       folder.path().string(), "noisy.avif", "z-broken.avif"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << failed.err;
  EXPECT_EQ(failed.err.rfind("pixtrel-batch: z-broken.avif: HEIF error: ", 0), 0u) << failed.err;
}

}  // namespace
}  // namespace pixtrel::test
