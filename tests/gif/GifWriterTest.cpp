// The GIF writer: the exact layout of what it writes, and its files read back by independent
// decoders (PIL, giflib's gif2rgb) to exactly the written indices.
#include <gtest/gtest.h>

#include <random>

#include "codecs/gif/GifCodec.h"
#include "core/Errors.h"
#include "io/SafeWrite.h"
#include "tests/gif/GifTestTools.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WriteFailure.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// The level rule written out by hand: 0-47, 48-98, 99-149, 150-200, 201-251, 252-255.
int Level(int c) {
  if (c <= 47) return 0;
  if (c <= 98) return 1;
  if (c <= 149) return 2;
  if (c <= 200) return 3;
  if (c <= 251) return 4;
  return 5;
}

std::vector<std::uint8_t> ExpectedIndices(const Bitmap24& b) {
  std::vector<std::uint8_t> out;
  for (int y = 0; y < b.height(); ++y) {
    for (int x = 0; x < b.width(); ++x) {
      const Bgr p = PixelAt(b, x, y);
      out.push_back(static_cast<std::uint8_t>(36 * Level(p.r) + 6 * Level(p.g) + Level(p.b)));
    }
  }
  return out;
}

// A photo-like picture: smooth gradients with fine noise, so the code table fills often.
Bitmap24 DetailedPicture(int w, int h) {
  Bitmap24 b(w, h);
  std::mt19937 random(3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = b.row(y) + x * 3;
      p[0] = static_cast<std::uint8_t>((x * 255 / w + random() % 40) % 256);
      p[1] = static_cast<std::uint8_t>((y * 255 / h + random() % 40) % 256);
      p[2] = static_cast<std::uint8_t>(((x + y) * 97 + random() % 90) % 256);
    }
  }
  return b;
}

struct StreamFacts {
  int clears = 0;
  bool endsWithEndCode = false;
  std::size_t subBlocks = 0;
  bool blocksFull = true;  // every sub-block but the last holds 255 bytes
};

// Walks the code stream of a single-frame file that starts its frame at `at`, tracking code
// widths as a decoder does, to count the clear codes.
StreamFacts ScanStream(const Bytes& file, std::size_t at) {
  StreamFacts facts;
  const int mcs = file[at];
  std::vector<std::uint8_t> data;
  std::size_t pos = at + 1;
  std::vector<std::size_t> lengths;
  while (file[pos] != 0) {
    lengths.push_back(file[pos]);
    data.insert(data.end(), file.begin() + static_cast<long>(pos) + 1,
                file.begin() + static_cast<long>(pos) + 1 + file[pos]);
    pos += 1 + file[pos];
  }
  facts.subBlocks = lengths.size();
  for (std::size_t i = 0; i + 1 < lengths.size(); ++i)
    facts.blocksFull = facts.blocksFull && lengths[i] == 255;
  const int clear = 1 << mcs;
  int width = mcs + 1, free = clear + 2;
  bool first = true;
  std::size_t bit = 0;
  while (bit + width <= data.size() * 8) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit)
      code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
    if (code == clear) {
      ++facts.clears;
      width = mcs + 1;
      free = clear + 2;
      first = true;
      continue;
    }
    if (code == clear + 1) {
      facts.endsWithEndCode = (data.size() * 8 - bit) < 8;
      break;
    }
    if (!first && free < 4096) {
      ++free;
      if (free == (1 << width) && width < 12) ++width;
    }
    first = false;
  }
  return facts;
}

TEST(GifWriter, A24BitRasterOf100By50HasTheDocumentedLayout) {
  TGIFImage picture;
  const Bitmap24 raster = TestPattern(100, 50);
  SetGifRaster(picture, raster);
  const Bytes b = EncodeGif(picture);

  EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF87a");
  EXPECT_EQ(U16At(b, 6), 100);
  EXPECT_EQ(U16At(b, 8), 50);
  EXPECT_EQ(b[10], 0x77);
  EXPECT_EQ(b[11], 0);  // background colour index of a new picture
  EXPECT_EQ(b[12], 0);  // aspect ratio
  const Bytes descriptor(b.begin() + 13, b.begin() + 23);
  EXPECT_EQ(descriptor, (Bytes{0x2C, 0, 0, 0, 0, 100, 0, 50, 0, 0x87}));
  for (int i = 0; i < 256; ++i) {
    const int r = b[23 + 3 * i], g = b[24 + 3 * i], bl = b[25 + 3 * i];
    if (i < 216) {
      EXPECT_EQ(r, 51 * (i / 36));
      EXPECT_EQ(g, 51 * (i / 6 % 6));
      EXPECT_EQ(bl, 51 * (i % 6));
    } else {
      EXPECT_EQ(r + g + bl, 0) << "entry " << i << " must be black";
    }
  }
  EXPECT_EQ(b[23 + 768], 8);  // minimum code size
  EXPECT_EQ(b.back(), 0x3B);
  EXPECT_EQ(b[b.size() - 2], 0);  // sub-block terminator
  const StreamFacts facts = ScanStream(b, 23 + 768);
  EXPECT_TRUE(facts.endsWithEndCode);
  EXPECT_TRUE(facts.blocksFull);

  TempFolder dir;
  WriteBytes(dir / "a.gif", b);
  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = ReadIndexedWithPil(dir / "a.gif");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
  EXPECT_EQ(pil->mode, "P");
  EXPECT_EQ(pil->width, 100);
  EXPECT_EQ(pil->height, 50);
  EXPECT_EQ(pil->indices, ExpectedIndices(raster));
}

TEST(GifWriter, PaletteBitmapsKeepTheirTablesAndCodeSizes) {
  struct Case {
    int colours, bits;
    std::uint8_t screen, frame;
    int tableBytes, codeSize;
  };
  for (const Case c : {Case{16, 4, 0x33, 0x83, 48, 4}, Case{2, 1, 0x00, 0x80, 6, 2},
                       Case{3, 4, 0x11, 0x81, 12, 2}, Case{236, 8, 0x77, 0x87, 768, 8}}) {
    SCOPED_TRACE(c.colours);
    std::vector<Rgb> table;
    for (int i = 0; i < c.colours; ++i)
      table.push_back(Rgb{static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i),
                          static_cast<std::uint8_t>(i * 13)});
    PaletteBitmap raster(31, 17, c.bits, table);
    for (std::size_t i = 0; i < raster.pixelCount(); ++i)
      raster.data()[i] = static_cast<std::uint8_t>((i * i + i / 5) % c.colours);
    TGIFImage picture;
    SetGifRaster(picture, raster);
    const Bytes b = EncodeGif(picture);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF87a");
    EXPECT_EQ(b[10], c.screen);
    EXPECT_EQ(b[22], c.frame);
    for (int i = 0; i < c.colours; ++i) {
      EXPECT_EQ(b[23 + 3 * i], table[i].r);
      EXPECT_EQ(b[24 + 3 * i], table[i].g);
      EXPECT_EQ(b[25 + 3 * i], table[i].b);
    }
    for (int i = c.colours * 3; i < c.tableBytes; ++i)
      EXPECT_EQ(b[23 + i], 0);
    EXPECT_EQ(b[23 + c.tableBytes], c.codeSize);

    TempFolder dir;
    WriteBytes(dir / "p.gif", b);
    PIXTREL_SKIP_WITHOUT_PIL();
    const auto pil = ReadIndexedWithPil(dir / "p.gif");
    ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
    EXPECT_EQ(pil->indices,
              std::vector<std::uint8_t>(raster.data(), raster.data() + raster.pixelCount()));
    for (int i = 0; i < c.colours; ++i)
      EXPECT_EQ(pil->palette.at(i), table[i]);
  }
}

TEST(GifWriter, ReductionLevelsAndPureRed) {
  EXPECT_EQ(NetscapeIndex(255, 0, 0), 180);
  EXPECT_EQ(NetscapePalette()[180], (Rgb{255, 0, 0}));
  EXPECT_EQ(NetscapePalette()[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(NetscapePalette()[215], (Rgb{255, 255, 255}));
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(NetscapeLevel(c), Level(c)) << c;
  EXPECT_EQ(NetscapeLevel(47), 0);  // although 51 is nearer to 47 than 0 is
  EXPECT_EQ(NetscapeLevel(48), 1);

  // Every channel value in every channel, through the whole writer and PIL.
  Bitmap24 raster(256, 3);
  for (int x = 0; x < 256; ++x) {
    for (int ch = 0; ch < 3; ++ch) {
      std::uint8_t* p = raster.row(ch) + x * 3;
      p[0] = p[1] = p[2] = 0;
      p[2 - ch] = static_cast<std::uint8_t>(x);  // row 0 red, 1 green, 2 blue
    }
  }
  raster.row(0)[0] = 0;
  raster.row(0)[1] = 0;
  raster.row(0)[2] = 255;
  TempFolder dir;
  TGIFImage picture;
  SetGifRaster(picture, raster);
  WriteGifFile(picture, dir / "r.gif");
  EXPECT_EQ(picture.images.at(0).pixels[0], 180);
  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = ReadIndexedWithPil(dir / "r.gif");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
  EXPECT_EQ(pil->indices, ExpectedIndices(raster));
  EXPECT_EQ(pil->palette.at(pil->indices[0]), (Rgb{255, 0, 0}));
}

TEST(GifWriter, ALargeDetailedPictureRestartsTheTableAndDecodesExactly) {
  const Bitmap24 raster = DetailedPicture(1500, 1000);
  TGIFImage picture;
  SetGifRaster(picture, raster);
  TempFolder dir;
  WriteGifFile(picture, dir / "big.gif");
  const Bytes b = FileContents(dir / "big.gif");
  const StreamFacts facts = ScanStream(b, 23 + 768);
  EXPECT_GE(facts.clears, 20) << "the code table should fill many times";
  EXPECT_TRUE(facts.endsWithEndCode);
  EXPECT_TRUE(facts.blocksFull);

  const std::vector<std::uint8_t> expected = ExpectedIndices(raster);
  ASSERT_EQ(picture.images.at(0).pixels, expected);
  // Our own reader as well as the independent ones.
  EXPECT_EQ(DecodeGif(b).images.at(0).pixels, expected);

  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = ReadIndexedWithPil(dir / "big.gif");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
  EXPECT_EQ(pil->indices, expected);
  PIXTREL_SKIP_WITHOUT_PROGRAM("gif2rgb");
  const RunResult r =
      RunProgram({"gif2rgb", "-1", "-o", (dir / "big.rgb").string(), (dir / "big.gif").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Bytes rgb = FileContents(dir / "big.rgb");
  ASSERT_EQ(rgb.size(), expected.size() * 3);
  std::size_t mismatches = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Rgb c = NetscapePalette()[expected[i]];
    mismatches += rgb[3 * i] != c.r || rgb[3 * i + 1] != c.g || rgb[3 * i + 2] != c.b;
  }
  EXPECT_EQ(mismatches, 0u) << "gif2rgb";
}

TEST(GifWriter, AnEmptyRasterGivesA14ByteFileKeepingBackgroundAndAspect) {
  TGIFImage picture;
  picture.header.backgroundColorIndex = 5;
  picture.header.aspectRatio = 49;
  SetGifRaster(picture, Bitmap24());
  const Bytes b = EncodeGif(picture);
  EXPECT_EQ(b, (Bytes{'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0, 0x77, 5, 49, 0x3B}));
  SetGifRaster(picture, PaletteBitmap());
  EXPECT_EQ(EncodeGif(picture).size(), 14u);
}

TEST(GifWriter, RefusesPicturesItCannotWrite) {
  TGIFImage none;
  try {
    EncodeGif(none);
    ADD_FAILURE() << "a picture without frames was written";
  } catch (const EGIFError& e) {
    EXPECT_STREQ(e.what(), "Unsupported GIF version");
  }
  PaletteBitmap raster(4, 4, 8, {Rgb{}, Rgb{1, 1, 1}, Rgb{2, 2, 2}});
  raster.row(3)[3] = 3;  // beyond the three colours, though the written table has four
  TGIFImage picture;
  SetGifRaster(picture, raster);
  try {
    EncodeGif(picture);
    ADD_FAILURE() << "an index outside the table was written";
  } catch (const EGIFError& e) {
    EXPECT_STREQ(e.what(), "Color not in color table");
  }
}

TEST(GifWriter, AFailedWriteLeavesTheOldFileWhole) {
  TempFolder dir;
  const Bytes old{'o', 'l', 'd'};
  WriteBytes(dir / "out.gif", old);
  TGIFImage picture;
  SetGifRaster(picture, TestPattern(300, 200));
  InjectWriteFailureAfter(100);
  EXPECT_THROW(WriteGifFile(picture, dir / "out.gif"), Exception);
  InjectWriteFailureAfter(-1);
  EXPECT_EQ(FileContents(dir / "out.gif"), old);

  // An encoding error happens before the file is touched.
  SetGifRaster(picture, PaletteBitmap(2, 2, 1, {}));
  EXPECT_THROW(WriteGifFile(picture, dir / "out.gif"), EGIFError);
  EXPECT_EQ(FileContents(dir / "out.gif"), old);
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
    ++files;
  EXPECT_EQ(files, 1) << "no temporary file may be left";
}

TEST(GifWriter, SetGifRasterReplacesEveryFrameOfAReadPicture) {
  // Two frames, a global table, a loop and a graphic control extension.
  TGIFImage picture;
  picture.header.width = 8;
  picture.header.height = 6;
  picture.header.backgroundColorIndex = 2;
  picture.header.aspectRatio = 17;
  picture.header.colorMap.colors = {Rgb{}, Rgb{255, 255, 255}};
  for (int i = 0; i < 2; ++i) {
    TGIFSubImage f;
    f.width = 8;
    f.height = 6;
    f.pixels.assign(48, static_cast<std::uint8_t>(i));
    f.extensions.push_back(TGIFGraphicControlExtension{1, 10, 0});
    f.extensions.push_back(TGIFAppExtNSLoop{});
    picture.images.push_back(f);
  }
  const Bytes before = EncodeGif(picture);
  EXPECT_EQ(std::string(before.begin(), before.begin() + 6), "GIF89a");

  SetGifRaster(picture, TestPattern(5, 3));
  ASSERT_EQ(picture.images.size(), 1u);
  EXPECT_TRUE(picture.images[0].extensions.empty());
  EXPECT_FALSE(picture.images[0].transparent());
  EXPECT_TRUE(picture.header.colorMap.empty());
  EXPECT_EQ(picture.width(), 5);
  EXPECT_EQ(picture.height(), 3);
  const Bytes b = EncodeGif(picture);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF87a");
  EXPECT_EQ(b[11], 2);
  EXPECT_EQ(b[12], 17);
}

TEST(GifWriter, ExtensionsAndSeveralFramesReadBackInPil) {
  TGIFImage picture;
  picture.header.width = 6;
  picture.header.height = 4;
  picture.header.colorMap.colors = {Rgb{10, 20, 30}, Rgb{200, 100, 50}, Rgb{0, 255, 0}};
  for (int i = 0; i < 3; ++i) {
    TGIFSubImage f;
    f.width = 6;
    f.height = 4;
    f.pixels.assign(24, static_cast<std::uint8_t>(i));
    f.extensions.push_back(TGIFGraphicControlExtension{0x09, 25, 2});
    if (i == 0) {
      f.extensions.push_back(TGIFAppExtNSLoop{"NETSCAPE2.0", 3});
      f.extensions.push_back(TGIFCommentExtension{"made by a test"});
    }
    picture.images.push_back(f);
  }
  TempFolder dir;
  WriteGifFile(picture, dir / "anim.gif");
  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = ReadIndexedWithPil(dir / "anim.gif");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
  EXPECT_EQ(pil->frames, 3);
  EXPECT_NE(pil->info.find("('loop', '3')"), std::string::npos) << pil->info;
  EXPECT_NE(pil->info.find("('transparency', '2')"), std::string::npos) << pil->info;
  EXPECT_NE(pil->info.find("made by a test"), std::string::npos) << pil->info;
  EXPECT_EQ(pil->indices, std::vector<std::uint8_t>(24, 0));

  // And our reader gets the same structure back.
  const TGIFImage back = ReadGifFile(dir / "anim.gif");
  ASSERT_EQ(back.images.size(), 3u);
  EXPECT_EQ(back.images[1].pixels, std::vector<std::uint8_t>(24, 1));
  EXPECT_EQ(back.images[0].transparentIndex(), 2);
  ASSERT_EQ(back.images[0].extensions.size(), 3u);
  EXPECT_EQ(std::get<TGIFAppExtNSLoop>(back.images[0].extensions[1]).loops, 3);
  EXPECT_EQ(std::get<TGIFCommentExtension>(back.images[0].extensions[2]).text, "made by a test");
}

}  // namespace
