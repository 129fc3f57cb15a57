// Pictures for the preview and the viewer: the reader picked by the extension, and the pixels
// as pictures made by an independent writer (PIL) hold them.
#include <gtest/gtest.h>

#include <QImage>

#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/png/PngFile.h"
#include "codecs/webp/WebpFile.h"
#include "core/Errors.h"
#include "tests/support/TestSupport.h"
#include "tests/window/ViewsTestSupport.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/PictureLoader.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

std::string LoadError(const fs::path& file) {
  try {
    LoadPictureFile(Q(file));
  } catch (const Exception& error) {
    return error.what();
  }
  return "(loaded)";
}

// Writes pictures with PIL: a 5 x 3 BMP of distinct colours, a GIF of the same with its first
// pixel transparent, and a greyscale JPEG; skips when PIL is missing.
void WriteWithPil(const fs::path& folder) {
  if (!PythonWithPil()) PIXTREL_SKIP_MISSING_TOOL() << "python3 with PIL";
  const RunResult made = RunPython(R"(
import sys, os
from PIL import Image
folder = sys.argv[1]
im = Image.new("RGB", (5, 3))
im.putdata([(x * 50, y * 100, 255 - x * 40 - y * 10) for y in range(3) for x in range(5)])
im.save(os.path.join(folder, "pil.bmp"))
pal = im.convert("P", palette=Image.ADAPTIVE, colors=16)
pal.save(os.path.join(folder, "pil.gif"), transparency=pal.getpixel((0, 0)))
pal.save(os.path.join(folder, "plain.gif"))
Image.new("L", (9, 4), 77).save(os.path.join(folder, "grey.jpg"), quality=95)
)",
                                   {folder.string()});
  ASSERT_EQ(made.exitCode, 0) << made.err;
}

QRgb Expected(int x, int y) {
  return qRgb(x * 50, y * 100, 255 - x * 40 - y * 10);
}

TEST(PictureLoaderTest, PicturesFromAnotherWriterShowTheirPixels) {
  TempFolder folder;
  WriteWithPil(folder.path());
  if (testing::Test::IsSkipped()) return;

  const QImage bmp = LoadPictureFile(Q(folder / "pil.bmp"));
  ASSERT_EQ(bmp.size(), QSize(5, 3));
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(bmp.pixel(x, y), Expected(x, y)) << x << "," << y;
  }
  // 15 colours fit the GIF's table exactly; the transparent pixel shows white.
  const QImage plain = LoadPictureFile(Q(folder / "plain.gif"));
  const QImage gif = LoadPictureFile(Q(folder / "pil.gif"));
  ASSERT_EQ(gif.size(), QSize(5, 3));
  EXPECT_EQ(plain.pixel(0, 0), Expected(0, 0));
  EXPECT_EQ(gif.pixel(0, 0), qRgb(255, 255, 255));
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      if (x + y > 0) {
        EXPECT_EQ(gif.pixel(x, y), Expected(x, y)) << x << "," << y;
      }
      EXPECT_EQ(plain.pixel(x, y), Expected(x, y)) << x << "," << y;
    }
  }
  // A one-component JPEG comes as grey levels.
  const QImage grey = LoadPictureFile(Q(folder / "grey.jpg"));
  ASSERT_EQ(grey.size(), QSize(9, 4));
  EXPECT_NEAR(qRed(grey.pixel(4, 2)), 77, 2);
  EXPECT_EQ(qRed(grey.pixel(4, 2)), qBlue(grey.pixel(4, 2)));
}

TEST(PictureLoaderTest, TheExtensionPicksTheReader) {
  TempFolder folder;
  WriteTestJpeg(folder / "a.jpg", 30, 20);
  for (const char* name : {"b.JPG", "c.jpeg", "d.Jpeg", "e.jpe", "f.png", "g", "h.jpg.txt"})
    fs::copy_file(folder / "a.jpg", folder / name);
  WriteTestGif(folder / "i.GIF", 7, 5);
  WriteTestBmp(folder / "j.Bmp", 9, 4);
  for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.Jpeg"})
    EXPECT_EQ(LoadPictureFile(Q(folder / name)).size(), QSize(30, 20)) << name;
  EXPECT_EQ(LoadPictureFile(Q(folder / "i.GIF")).size(), QSize(7, 5));
  EXPECT_EQ(LoadPictureFile(Q(folder / "j.Bmp")).size(), QSize(9, 4));

  EXPECT_EQ(LoadError(folder / "e.jpe"), "Unknown picture file extension (.jpe)");
  EXPECT_EQ(LoadError(folder / "f.png").rfind("PNG error: ", 0), 0u);  // a JPEG named .png
  EXPECT_EQ(LoadError(folder / "g"), "Unknown picture file extension (.)");
  EXPECT_EQ(LoadError(folder / "h.jpg.txt"), "Unknown picture file extension (.txt)");
  EXPECT_EQ(LoadError(fs::path()), "Unknown picture file extension (.)");

  // The content must match the reader the extension chose.
  fs::copy_file(folder / "a.jpg", folder / "k.gif");
  fs::copy_file(folder / "a.jpg", folder / "l.bmp");
  EXPECT_NE(LoadError(folder / "k.gif"), "(loaded)");
  EXPECT_NE(LoadError(folder / "l.bmp"), "(loaded)");
  EXPECT_NE(LoadError(folder / "gone.jpg").find("Cannot open file"), std::string::npos);
  WriteBytes(folder / "empty.bmp", Bytes{});
  WriteBytes(folder / "empty.jpg", Bytes{});
  EXPECT_NE(LoadError(folder / "empty.bmp"), "(loaded)");
  EXPECT_NE(LoadError(folder / "empty.jpg"), "(loaded)");
}

TEST(PictureLoaderTest, PicturesToShowComeAtLeastAtTheSizeShown) {
  TempFolder folder;
  WriteTestJpeg(folder / "a.jpg", 800, 600);
  WriteTestBmp(folder / "b.bmp", 40, 30);
  QSize given;
  const auto quarter = [&](QSize full) {
    given = full;
    return full / 4;
  };
  // A quarter is two eighths exactly; one pixel more needs three.
  PictureToShow shown = LoadPictureToShow(Q(folder / "a.jpg"), quarter);
  EXPECT_EQ(given, QSize(800, 600));
  EXPECT_EQ(shown.fullSize, QSize(800, 600));
  EXPECT_EQ(shown.image.size(), QSize(200, 150));
  shown = LoadPictureToShow(Q(folder / "a.jpg"), [](QSize) { return QSize(201, 150); });
  EXPECT_EQ(shown.image.size(), QSize(300, 225));
  shown = LoadPictureToShow(Q(folder / "a.jpg"), [](QSize full) { return full; });
  EXPECT_EQ(shown.image.size(), QSize(800, 600));
  // Other formats come at full size; the readers' errors are those of LoadPictureFile.
  shown = LoadPictureToShow(Q(folder / "b.bmp"), quarter);
  EXPECT_EQ(shown.image.size(), QSize(40, 30));
  EXPECT_EQ(shown.fullSize, QSize(40, 30));
  fs::copy_file(folder / "a.jpg", folder / "c.jpe");
  EXPECT_THROW(LoadPictureToShow(Q(folder / "c.jpe"), quarter), Exception);
  EXPECT_THROW(LoadPictureToShow(Q(folder / "gone.jpg"), quarter), Exception);
}

// A JPEG whose EXIF says it is stored a quarter turn to the left of upright (orientation 6).
void WriteSidewaysJpeg(const fs::path& file, int width, int height) {
  WriteTestJpeg(file, width, height);
  PictureMetadata metadata;
  metadata.exif = {'I',  'I', 42, 0, 8, 0, 0, 0,              // header, IFD0 at 8
                   1,    0,                                   // one entry
                   0x12, 1,   3,  0, 1, 0, 0, 0, 6, 0, 0, 0,  // orientation, SHORT, 1, value 6
                   0,    0,   0,  0};                         // no next IFD
  WriteBytes(file, ReplaceJpegMetadata(FileContents(file), metadata));
}

TEST(PictureLoaderTest, PhotosShowUprightAndEveryFormatReads) {
  TempFolder folder;
  WriteSidewaysJpeg(folder / "side.jpg", 80, 40);
  EXPECT_EQ(LoadPictureFile(Q(folder / "side.jpg")).size(), QSize(40, 80));
  QSize given;
  const PictureToShow shown = LoadPictureToShow(Q(folder / "side.jpg"), [&](QSize full) {
    given = full;
    return full / 4;
  });
  EXPECT_EQ(given, QSize(40, 80));  // the upright size decides what is shown
  EXPECT_EQ(shown.fullSize, QSize(40, 80));
  EXPECT_EQ(shown.image.size(), QSize(10, 20));

  // PNG with alpha: a transparent pixel shows white, an opaque one its colour.
  DecodedPicture picture;
  Bitmap24 pixels(2, 1, 0);
  pixels.row(0)[3 + 2] = 200;  // the second pixel red
  picture.raster = pixels;
  const std::vector<std::uint8_t> alpha{0, 255};
  WriteBytes(folder / "a.png", EncodePng(picture.raster, &alpha, {}));
  WriteBytes(folder / "a.webp", EncodeWebp(picture.raster, &alpha, {}, {.lossless = true}));
  for (const char* name : {"a.png", "a.webp"}) {
    const QImage image = LoadPictureFile(Q(folder / name));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255)) << name;
    EXPECT_EQ(image.pixel(1, 0), qRgb(200, 0, 0)) << name;
  }
  fs::copy_file(folder / "a.png", folder / "fake.heic");
  EXPECT_EQ(LoadError(folder / "fake.heic").rfind("HEIF error: ", 0), 0u);
}

}  // namespace
}  // namespace pixtrel::test
