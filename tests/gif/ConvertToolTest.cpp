// The six convert commands end to end through pixtrel-batch: output names, contents checked
// with independent readers, creation settings, empty sources, save modes and failures.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <set>

#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "tests/gif/GifTestTools.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

const std::vector<std::string> kCommands{"gif2jpg", "jpg2gif", "bmp2jpg",
                                         "bmp2gif", "jpg2bmp", "gif2bmp"};

Bytes JpegOf(const Raster& raster, int quality = 90) {
  TJPEGImage picture;
  SetJpegRaster(picture, raster);
  picture.Quality = quality;
  EncodeJpeg(picture);
  return picture.data();
}

Bytes GifOf(const Raster& raster) {
  TGIFImage picture;
  SetGifRaster(picture, raster);
  return EncodeGif(picture);
}

Raster DecodedJpeg(const fs::path& file) {
  TJPEGImage picture = ReadJpegFile(file);
  DecodeJpeg(picture);
  return picture.raster();
}

int BmpBits(const Bytes& bmp) {
  return U16At(bmp, 28);
}

// A 4-bit BMP with a full 16-colour table, written by hand.
Bytes FourBitBmp(int w, int h) {
  const int rowBytes = ((w + 1) / 2 + 3) & ~3;
  const int offset = 14 + 40 + 16 * 4;
  Bytes b{'B', 'M'};
  auto u32 = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&b](int v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  u32(static_cast<std::uint32_t>(offset + rowBytes * h));
  u32(0);
  u32(offset);
  u32(40);
  u32(static_cast<std::uint32_t>(w));
  u32(static_cast<std::uint32_t>(h));
  u16(1);
  u16(4);
  u32(0);
  u32(static_cast<std::uint32_t>(rowBytes * h));
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (int i = 0; i < 16; ++i)
    b.insert(b.end(), {static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(i * 11),
                       static_cast<std::uint8_t>(255 - i * 16), 0});
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(rowBytes), 0);
    for (int x = 0; x < w; ++x)
      row[x / 2] |= static_cast<std::uint8_t>(((x + y) % 16) << (x % 2 ? 0 : 4));
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

class ConvertTool : public ::testing::Test {
 protected:
  void Run(const std::vector<std::string>& args, int expectedExit = 0) {
    last_ = RunBatchTool(args, dir_.path());
    ASSERT_EQ(last_.exitCode, expectedExit) << last_.err;
  }
  TempFolder dir_;
  RunResult last_;
};

TEST_F(ConvertTool, NamesAppendTheNewExtensionInEverySaveMode) {
  WriteBytes(dir_ / "image1.gif", GifOf(TestPattern(20, 10)));
  WriteBytes(dir_ / "PHOTO.JPG", JpegOf(TestPattern(20, 10)));
  WriteBytes(dir_ / "pic.bmp", EncodeBmp(TestPattern(20, 10)));
  const std::map<std::string, std::pair<std::string, std::string>> expected{
      {"gif2jpg", {"image1.gif", "image1.gif.jpg"}}, {"jpg2gif", {"PHOTO.JPG", "PHOTO.JPG.gif"}},
      {"bmp2jpg", {"pic.bmp", "pic.bmp.jpg"}},       {"bmp2gif", {"pic.bmp", "pic.bmp.gif"}},
      {"jpg2bmp", {"PHOTO.JPG", "PHOTO.JPG.bmp"}},   {"gif2bmp", {"image1.gif", "image1.gif.bmp"}}};
  const Bytes gifSource = FileContents(dir_ / "image1.gif");
  for (const std::string mode : {"prefix", "subfolder", "overwrite"}) {
    for (const std::string& command : kCommands) {
      SCOPED_TRACE(command + " " + mode);
      const auto& [source, output] = expected.at(command);
      fs::remove(dir_ / output);
      // No --yes and no terminal: a question would count as declined and end with status 3.
      Run({command, "--save", mode, source});
      EXPECT_TRUE(fs::exists(dir_ / output));
      EXPECT_EQ(last_.err.find("overwritten"), std::string::npos);
    }
  }
  EXPECT_FALSE(fs::exists(dir_ / "vantro"));
  EXPECT_EQ(FileContents(dir_ / "image1.gif"), gifSource);

  // Converting a converted file appends again.
  Run({"jpg2gif", "image1.gif.jpg"});
  EXPECT_TRUE(fs::exists(dir_ / "image1.gif.jpg.gif"));
}

TEST_F(ConvertTool, NewJpegsHaveTheCreationSettingsWhateverTheSliders) {
  PaletteBitmap frame(40, 30, 8, {Rgb{200, 10, 10}, Rgb{10, 200, 10}, Rgb{10, 10, 200}});
  for (std::size_t i = 0; i < frame.pixelCount(); ++i)
    frame.data()[i] = static_cast<std::uint8_t>(i / 7 % 3);
  WriteBytes(dir_ / "a.gif", GifOf(frame));
  WriteBytes(dir_ / "b.bmp", EncodeBmp(TestPattern(40, 30)));

  Run({"gif2jpg", "--jpeg-quality", "5", "--quality", "7", "a.gif"});
  const Bytes first = FileContents(dir_ / "a.gif.jpg");
  Run({"gif2jpg", "--jpeg-quality", "100", "--quality", "100", "a.gif"});
  EXPECT_EQ(FileContents(dir_ / "a.gif.jpg"), first)
      << "converting again replaces the file the same";
  EXPECT_EQ(first, JpegOf(frame, 90));
  Run({"bmp2jpg", "--jpeg-quality", "3", "b.bmp"});
  EXPECT_EQ(FileContents(dir_ / "b.bmp.jpg"), JpegOf(TestPattern(40, 30), 90));

  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = ReadWithPil(dir_ / "a.gif.jpg");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
  EXPECT_EQ(pil->format, "JPEG");
  EXPECT_EQ(pil->mode, "RGB");
  EXPECT_EQ(pil->info.find("progressive"), std::string::npos) << pil->info;
}

TEST_F(ConvertTool, AColourJpegBecomesANetscapeGif) {
  const fs::path jpg = dir_ / "c.jpg";
  PIXTREL_SKIP_WITHOUT_PIL();
  std::string made;
  if (!MakeWithPython("im = Image.new('RGB', (64, 48))\n"
                      "im.putdata([(x * 4, y * 5, (x * y) % 256) for y in range(48) for x in "
                      "range(64)])\n"
                      "im.save(sys.argv[1] + '/c.jpg', quality=92)\n",
                      dir_.path(), &made))
    FAIL() << "PIL could not make the test picture: " << made;
  Run({"jpg2gif", "c.jpg"});
  const Bytes gif = FileContents(dir_ / "c.jpg.gif");
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF87a");
  EXPECT_EQ(gif[22], 0x87);  // local table of 256 entries

  const Bitmap24 decoded = ToBitmap24(DecodedJpeg(jpg));
  const auto pil = ReadIndexedWithPil(dir_ / "c.jpg.gif");
  ASSERT_TRUE(pil);
  ASSERT_EQ(pil->indices.size(), 64u * 48u);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const Bgr p = PixelAt(decoded, x, y);
      ASSERT_EQ(pil->indices[y * 64 + x], NetscapeIndex(p.r, p.g, p.b)) << x << "," << y;
    }
  }
  for (int i = 216; i < 256; ++i)
    EXPECT_EQ(pil->palette.at(i), (Rgb{0, 0, 0}));
}

TEST_F(ConvertTool, AOneComponentJpegKeepsItsGreyLevels) {
  PIXTREL_SKIP_WITHOUT_PIL();
  std::string made;
  if (!MakeWithPython("im = Image.new('L', (50, 40))\n"
                      "im.putdata([(x * 5 + y * 3) % 256 for y in range(40) for x in range(50)])\n"
                      "im.save(sys.argv[1] + '/g.jpg', quality=95)\n",
                      dir_.path(), &made))
    FAIL() << "PIL could not make the test picture: " << made;
  const Raster decoded = DecodedJpeg(dir_ / "g.jpg");
  ASSERT_TRUE(std::holds_alternative<PaletteBitmap>(decoded));
  const auto& grey = std::get<PaletteBitmap>(decoded);
  ASSERT_EQ(grey.palette().size(), 236u);

  Run({"jpg2gif", "g.jpg"});
  const Bytes gif = FileContents(dir_ / "g.jpg.gif");
  for (int i = 0; i < 236; ++i) {
    EXPECT_EQ(gif[23 + 3 * i], grey.palette()[i].r);
    EXPECT_EQ(gif[24 + 3 * i], grey.palette()[i].g);
  }
  const auto pil = ReadIndexedWithPil(dir_ / "g.jpg.gif");
  ASSERT_TRUE(pil);
  EXPECT_EQ(pil->indices, std::vector<std::uint8_t>(grey.data(), grey.data() + grey.pixelCount()));

  Run({"jpg2bmp", "g.jpg"});
  const Bytes bmp = FileContents(dir_ / "g.jpg.bmp");
  EXPECT_EQ(BmpBits(bmp), 8);
}

TEST_F(ConvertTool, A24BitBmpComesBackFromGifAs8BitWithNetscapeColours) {
  WriteBytes(dir_ / "t.bmp", EncodeBmp(TestPattern(33, 21)));
  Run({"bmp2gif", "t.bmp"});
  Run({"gif2bmp", "t.bmp.gif"});
  const Bytes bmp = FileContents(dir_ / "t.bmp.gif.bmp");
  EXPECT_EQ(BmpBits(bmp), 8);
  PIXTREL_SKIP_WITHOUT_PIL();
  const auto pil = ReadWithPil(dir_ / "t.bmp.gif.bmp");
  ASSERT_TRUE(pil.has_value()) << "PIL cannot read the file";
  EXPECT_EQ(pil->mode, "P");
  std::set<int> netscape;
  for (const Rgb& c : NetscapePalette())
    netscape.insert(c.r << 16 | c.g << 8 | c.b);
  const Bitmap24 source = TestPattern(33, 21);
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 33; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * 33 + x) * 3;
      const int colour = pil->rgb[i] << 16 | pil->rgb[i + 1] << 8 | pil->rgb[i + 2];
      ASSERT_TRUE(netscape.count(colour)) << x << "," << y;
      const Bgr s = PixelAt(source, x, y);
      const Rgb want = NetscapePalette()[NetscapeIndex(s.r, s.g, s.b)];
      EXPECT_EQ(colour, want.r << 16 | want.g << 8 | want.b);
    }
  }
}

TEST_F(ConvertTool, PaletteBmpsKeepTheirTables) {
  PIXTREL_SKIP_WITHOUT_PIL();
  std::string made;
  if (!MakeWithPython("pal = []\n"
                      "for i in range(256): pal += [(i * 37) % 256, (i * 91) % 256, 255 - i]\n"
                      "im = Image.new('P', (30, 20))\n"
                      "im.putpalette(pal)\n"
                      "im.putdata([(x * 7 + y * 13) % 256 for y in range(20) for x in range(30)])\n"
                      "im.save(sys.argv[1] + '/eight.bmp')\n"
                      "one = Image.new('1', (19, 9))\n"
                      "one.putdata([255 if (x + y) % 3 else 0 for y in range(9) for x in "
                      "range(19)])\n"
                      "one.save(sys.argv[1] + '/one.bmp')\n",
                      dir_.path(), &made))
    FAIL() << "PIL could not make the test picture: " << made;
  WriteBytes(dir_ / "four.bmp", FourBitBmp(13, 7));
  Run({"bmp2gif", "eight.bmp", "four.bmp", "one.bmp"});

  const auto bmp = ReadIndexedWithPil(dir_ / "eight.bmp");
  const auto gif = ReadIndexedWithPil(dir_ / "eight.bmp.gif");
  ASSERT_TRUE(bmp && gif);
  EXPECT_EQ(gif->indices, bmp->indices);
  const Bytes eight = FileContents(dir_ / "eight.bmp.gif");
  ASSERT_GE(bmp->palette.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ((Rgb{eight[23 + 3 * i], eight[24 + 3 * i], eight[25 + 3 * i]}), bmp->palette[i]) << i;
  }

  const Bytes four = FileContents(dir_ / "four.bmp.gif");
  EXPECT_EQ(four[22], 0x83);
  EXPECT_EQ(four[23 + 48], 4);  // minimum code size
  EXPECT_EQ((Rgb{four[23 + 3 * 5], four[24 + 3 * 5], four[25 + 3 * 5]}), (Rgb{255 - 80, 55, 15}));
  const auto fourPil = ReadIndexedWithPil(dir_ / "four.bmp.gif");
  ASSERT_TRUE(fourPil);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 13; ++x)
      EXPECT_EQ(fourPil->indices[y * 13 + x], (x + y) % 16);
  }

  const Bytes one = FileContents(dir_ / "one.bmp.gif");
  EXPECT_EQ(one[10], 0x00);
  EXPECT_EQ(one[22], 0x80);
  EXPECT_EQ(one[23 + 6], 2);
}

TEST_F(ConvertTool, AnEmptyBmpGivesAnEmptyJpegAndA14ByteGif) {
  WriteBytes(dir_ / "e.bmp", {});
  Run({"bmp2jpg", "e.bmp"});
  Run({"bmp2gif", "e.bmp"});
  ASSERT_TRUE(fs::exists(dir_ / "e.bmp.jpg"));
  EXPECT_EQ(fs::file_size(dir_ / "e.bmp.jpg"), 0u);
  EXPECT_EQ(FileContents(dir_ / "e.bmp.gif"),
            (Bytes{'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0, 0x77, 0, 0, 0x3B}));
}

TEST_F(ConvertTool, JpegToBmpAndBackIsBaseline) {
  TJPEGImage progressive;
  SetJpegRaster(progressive, TestPattern(48, 32));
  progressive.Progressive = true;
  EncodeJpeg(progressive);
  WriteBytes(dir_ / "p.jpg", progressive.data());
  Run({"jpg2bmp", "p.jpg"});
  const Bytes bmp = FileContents(dir_ / "p.jpg.bmp");
  EXPECT_EQ(BmpBits(bmp), 24);
  EXPECT_TRUE(SamePixels(ToBitmap24(ReadBmpFile(dir_ / "p.jpg.bmp")),
                         ToBitmap24(DecodedJpeg(dir_ / "p.jpg"))));
  Run({"bmp2jpg", "p.jpg.bmp"});
  EXPECT_FALSE(ReadJpegFile(dir_ / "p.jpg.bmp.jpg").Progressive);
}

TEST_F(ConvertTool, GifToBmpDependsOnWhetherTheFirstFrameCovers) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("gifsicle");
  PIXTREL_SKIP_WITHOUT_PIL();
  std::string made;
  if (!MakeWithPython("a = Image.new('P', (12, 9))\n"
                      "a.putpalette([v for i in range(256) for v in (i, 255 - i, 0)])\n"
                      "a.putdata([(x + 3 * y) % 256 for y in range(9) for x in range(12)])\n"
                      "b = a.point(lambda v: 255 - v)\n"
                      "a.save(sys.argv[1] + '/anim.gif', save_all=True, append_images=[b])\n"
                      "a.save(sys.argv[1] + '/small.gif')\n",
                      dir_.path(), &made))
    FAIL() << "PIL could not make the test pictures: " << made;
  ASSERT_EQ(RunProgram({"gifsicle", "--logical-screen", "20x15", "--position", "4,3",
                        (dir_ / "small.gif").string(), "-o", (dir_ / "offset.gif").string()})
                .exitCode,
            0);
  Run({"gif2bmp", "anim.gif", "offset.gif"});
  Run({"gif2jpg", "anim.gif"});

  // Animated, covering: 8 bits with the frame's 256-entry table; the first frame only.
  const Bytes anim = FileContents(dir_ / "anim.gif.bmp");
  EXPECT_EQ(BmpBits(anim), 8);
  const auto pil = ReadWithPil(dir_ / "anim.gif.bmp");
  ASSERT_TRUE(pil);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 12; ++x) {
      const int v = (x + 3 * y) % 256;
      const std::size_t i = (static_cast<std::size_t>(y) * 12 + x) * 3;
      EXPECT_EQ(pil->rgb[i], v);
      EXPECT_EQ(pil->rgb[i + 1], 255 - v);
    }
  }
  const auto jpg = ReadWithPil(dir_ / "anim.gif.jpg");
  ASSERT_TRUE(jpg);
  EXPECT_NEAR(jpg->rgb[(8 * 12 + 11) * 3], (11 + 24) % 256, 12)
      << "the first frame, not the second";

  // Smaller than the screen: 24 bits, white around the frame at its offset.
  const Bytes offset = FileContents(dir_ / "offset.gif.bmp");
  EXPECT_EQ(BmpBits(offset), 24);
  const Bitmap24 b = ToBitmap24(ReadBmpFile(dir_ / "offset.gif.bmp"));
  EXPECT_EQ(b.width(), 20);
  EXPECT_EQ(PixelAt(b, 0, 0), (Bgr{255, 255, 255}));
  EXPECT_EQ(PixelAt(b, 4, 3), (Bgr{0, 255, 0}));
  EXPECT_EQ(PixelAt(b, 16, 12), (Bgr{255, 255, 255}));
}

TEST_F(ConvertTool, KeepDateLandsOnTheConvertedName) {
  WriteBytes(dir_ / "image1.gif", GifOf(TestPattern(8, 8)));
  struct timespec times[2] = {{946728001, 0}, {946728001, 0}};  // an odd second
  ASSERT_EQ(utimensat(AT_FDCWD, (dir_ / "image1.gif").c_str(), times, 0), 0);
  Run({"gif2jpg", "--keep-date", "image1.gif"});
  struct stat st {};
  ASSERT_EQ(stat((dir_ / "image1.gif.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 946728000);
}

TEST_F(ConvertTool, AMismatchedSourceFailsWithoutOutputAndStopsTheBatch) {
  WriteBytes(dir_ / "a.gif", GifOf(TestPattern(8, 8)));
  const std::string png = "\x89PNG\r\n\x1a\nnot really";
  WriteBytes(dir_ / "b.gif", Bytes(png.begin(), png.end()));
  WriteBytes(dir_ / "c.gif", GifOf(TestPattern(8, 8)));
  Run({"gif2bmp", "a.gif", "b.gif", "c.gif"}, 1);
  EXPECT_NE(last_.err.find("Invalid GIF signature"), std::string::npos) << last_.err;
  EXPECT_TRUE(fs::exists(dir_ / "a.gif.bmp"));
  EXPECT_FALSE(fs::exists(dir_ / "b.gif.bmp"));
  EXPECT_FALSE(fs::exists(dir_ / "c.gif.bmp"));

  WriteBytes(dir_ / "photo.jpg", Bytes(png.begin(), png.end()));
  Run({"jpg2gif", "photo.jpg"}, 1);
  EXPECT_NE(last_.err.find("JPEG error"), std::string::npos) << last_.err;
  EXPECT_FALSE(fs::exists(dir_ / "photo.jpg.gif"));
  int leftovers = 0;
  for (const auto& e : fs::directory_iterator(dir_.path()))
    leftovers += e.path().filename().string().find(".tmp") != std::string::npos;
  EXPECT_EQ(leftovers, 0);
}

}  // namespace
