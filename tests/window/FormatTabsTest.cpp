// The tabs of the later formats: PNG and WebP beside the other resize tabs on the strip, the
// "Resize & convert" tab (where "Convert to" was) with the formats Pixtrel writes, the masks each
// one and the Rotate tab set (by a click on the strip or from the menus), and the captions they
// take in each language.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <fstream>

#include "app/FileListBox.h"
#include "app/FileMask.h"
#include "app/PageControl.h"
#include "app/TabStrip.h"
#include "codecs/Registry.h"
#include "codecs/png/PngFile.h"
#include "codecs/webp/WebpFile.h"
#include "io/FileBytes.h"
#include "languages/LanguageTable.h"
#include "tests/window/FormatPictures.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

const QString kReadableMask =
    "*.jpg;*.jpeg;*.jpe;*.png;*.webp;*.gif;*.bmp;*.heic;*.heif;*.avif;*.jxl";
const QString kRotateMask =
    "*.bmp;*.jpg;*.gif;*.jpeg;*.jpe;*.png;*.webp;*.heic;*.heif;*.avif;*.jxl";

class FormatTabsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    for (const char* name : {"a.jpg", "b.png", "C.PNG", "d.webp", "e.heic", "f.HEIF", "g.avif",
                             "h.gif", "i.bmp", "j.jpe", "notes.txt", "k.png.txt"}) {
      std::ofstream(folder / name) << "x";
    }
    Store("Start", Q(folder));
    Store("preview", "0");
    window = StartWindow();
    strip = window->PageControl1->tabStrip();
  }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
  TabStrip* strip = nullptr;
};

TEST_F(FormatTabsTest, PngAndWebpStandBesideTheOtherResizeTabsWithTheirIndexesKept) {
  auto* pages = window->PageControl1;
  ASSERT_EQ(pages->count(), 21);
  EXPECT_EQ(pages->tabText(TForm1::TabPng), "PNG");
  EXPECT_EQ(pages->tabText(TForm1::TabWebp), "WebP");
  EXPECT_EQ(pages->tabText(TForm1::TabConvertTo), "Resize && convert");  // "&" shown as it is
  EXPECT_EQ(pages->page(TForm1::TabPng)->objectName(), "TabSheet16");
  EXPECT_EQ(pages->page(TForm1::TabWebp)->objectName(), "TabSheet17");
  EXPECT_EQ(pages->page(TForm1::TabConvertTo)->objectName(), "TabSheet18");

  // Shown in the order JPG, GIF, BMP, PNG, WebP, the registry's later formats (JPEG XL, AVIF,
  // HEIC) on one row, then About, beside them or first on the next row.
  const int shown[] = {TForm1::TabJpg,           TForm1::TabGif,          TForm1::TabBmp,
                       TForm1::TabPng,           TForm1::TabWebp,         TForm1::TabConvertTo + 1,
                       TForm1::TabConvertTo + 2, TForm1::TabConvertTo + 3};
  for (int i = 1; i < 8; ++i) {
    const QRect before = strip->tabRect(shown[i - 1]), at = strip->tabRect(shown[i]);
    EXPECT_EQ(at.top(), before.top()) << "tab " << shown[i];
    EXPECT_EQ(at.left(), before.right() + 1) << "tab " << shown[i];
  }
  const QRect heic = strip->tabRect(shown[7]), about = strip->tabRect(TForm1::TabAbout);
  EXPECT_TRUE((about.top() == heic.top() && about.left() == heic.right() + 1) ||
              (about.top() > heic.top() && about.left() == 0));
  // "Resize & convert" comes last, after the GIF -> BMP tab.
  const QRect last = strip->tabRect(TForm1::TabGifToBmp),
              convert = strip->tabRect(TForm1::TabConvertTo);
  EXPECT_TRUE(convert.top() > last.top() || convert.left() > last.left());

  // The arrow keys walk the tabs in the order shown.
  ClickTab(*window, TForm1::TabBmp);
  strip->setFocus();
  QTest::keyClick(strip, Qt::Key_Right);
  EXPECT_EQ(pages->currentIndex(), TForm1::TabPng);
  EXPECT_EQ(window->FileListBox10->mask(), "*.png");  // as a click does
  for (int i = 0; i < 5; ++i)
    QTest::keyClick(strip, Qt::Key_Right);
  EXPECT_EQ(pages->currentIndex(), TForm1::TabAbout);
  for (int i = 0; i < 4; ++i)
    QTest::keyClick(strip, Qt::Key_Left);
  EXPECT_EQ(pages->currentIndex(), TForm1::TabWebp);
}

TEST_F(FormatTabsTest, TabClicksListTheFilesTheirCommandsTake) {
  const struct {
    int tab;
    QString mask;
    QStringList listed;
  } tabs[] = {
      {TForm1::TabPng, "*.png", {"b.png", "C.PNG"}},
      {TForm1::TabWebp, "*.webp", {"d.webp"}},
      {TForm1::TabConvertTo,
       kReadableMask,
       {"a.jpg", "b.png", "C.PNG", "d.webp", "e.heic", "f.HEIF", "g.avif", "h.gif", "i.bmp",
        "j.jpe"}},
      {TForm1::TabRotate,
       kRotateMask,
       {"a.jpg", "b.png", "C.PNG", "d.webp", "e.heic", "f.HEIF", "g.avif", "h.gif", "i.bmp",
        "j.jpe"}},
  };
  for (const auto& tab : tabs) {
    ClickTab(*window, tab.tab);
    EXPECT_EQ(window->PageControl1->currentIndex(), tab.tab);
    EXPECT_EQ(window->FileListBox10->mask(), tab.mask) << "tab " << tab.tab;
    EXPECT_EQ(ListedNames(*window), tab.listed) << "tab " << tab.tab;
  }
}

TEST_F(FormatTabsTest, MenuEntriesShowTheNewTabsWithTheirMasks) {
  const struct {
    const char* entry;
    int tab;
    QString mask;
  } entries[] = {{"M24", TForm1::TabPng, "*.png"},
                 {"M21", TForm1::TabJpg, "*.jpg;*.jpeg;*.jpe"},
                 {"M25", TForm1::TabWebp, "*.webp"},
                 {"M39", TForm1::TabConvertTo, kReadableMask},
                 {"M24", TForm1::TabPng, "*.png"}};
  for (const auto& entry : entries) {
    Control<QAction>(*window, entry.entry)->trigger();
    EXPECT_EQ(window->PageControl1->currentIndex(), entry.tab) << entry.entry;
    EXPECT_EQ(window->FileListBox10->mask(), entry.mask) << entry.entry;
  }
  EXPECT_EQ(ListedNames(*window), QStringList({"b.png", "C.PNG"}));
}

TEST_F(FormatTabsTest, ResizeAndConvertOffersEveryWritableFormatInTheTablesOrder) {
  auto* format = Control<QComboBox>(*window, "ComboBox1");
  QStringList titles, keys;
  for (int i = 0; i < format->count(); ++i) {
    titles.append(format->itemText(i));
    keys.append(format->itemData(i).toString());
  }
  // The source's own format first, then the writable rows; it starts at the "Convert to" choice.
  EXPECT_EQ(titles, QStringList({"Same as the source", "JPG", "PNG", "WebP", "GIF", "BMP", "HEIC",
                                 "AVIF", "JPEG XL"}));
  EXPECT_EQ(keys, QStringList({"keep", "jpg", "png", "webp", "gif", "bmp", "heic", "avif", "jxl"}));
  EXPECT_EQ(format->currentData().toString(), "jpg");
  EXPECT_EQ(Control<QPushButton>(*window, "Button17")->property("command").toString(), "process");
  EXPECT_EQ(Control<QPushButton>(*window, "Button15")->property("command").toString(),
            "resize-png");
  EXPECT_EQ(Control<QPushButton>(*window, "Button16")->property("command").toString(),
            "resize-webp");
}

TEST_F(FormatTabsTest, TheNewTabsTakeTheTranslatedResizeAndConvertTexts) {
  const int french = 14;
  window->ChooseLanguage(french);
  for (const char* n : {"15", "16"}) {
    EXPECT_EQ(Control<QLabel>(*window, (std::string("LabelNormal") + n).c_str())->text(),
              LanguageText(french, 101));
    EXPECT_EQ(Control<QLabel>(*window, (std::string("LabelBetter") + n).c_str())->text(),
              LanguageText(french, 102));
    EXPECT_EQ(Control<QLabel>(*window, (std::string("LabelPixels") + n).c_str())->text(),
              LanguageText(french, 103));
  }
  EXPECT_EQ(window->Button15->text(), LanguageText(french, 104));
  EXPECT_EQ(window->Button16->text(), LanguageText(french, 104));
  EXPECT_EQ(window->Button17->text(), "Redimensionner et convertir");
  // The captions that came with the newer formats are translated too; format names stay.
  EXPECT_EQ(window->PageControl1->tabText(TForm1::TabConvertTo), "Redimensionner et convertir");
  EXPECT_EQ(window->PageControl1->tabText(TForm1::TabPng), "PNG");
  EXPECT_EQ(Control<QAction>(*window, "M39")->text(), "Redimensionner et convertir");
  EXPECT_EQ(Control<QLabel>(*window, "LabelMetadata")->text(), LanguageText(french, kTextMetadata));

  // Right to left, in Hebrew words.
  window->ChooseLanguage(58);
  EXPECT_EQ(window->PageControl1->tabText(TForm1::TabConvertTo), LanguageText(58, kTextProcessTab));
  EXPECT_EQ(Control<QLabel>(*window, "LabelMetadata")->text(), LanguageText(58, kTextMetadata));
  window->ChooseLanguage(2);
  EXPECT_EQ(Control<QLabel>(*window, "LabelMetadata")->text(),
            "Metadata (EXIF, XMP, colour profile):");
}

TEST_F(FormatTabsTest, EnterInTheWebpPixelsBoxResizesTheSelectedWebp) {
  WriteFormatPicture(folder / "d.webp", 40, 20, 1);
  ClickTab(*window, TForm1::TabWebp);
  SelectNames(*window, {"d.webp"});
  window->Edit16->setText("10");
  window->Edit16->setFocus();
  BoxAnswerer boxes({});
  QTest::keyClick(window->Edit16, Qt::Key_Return);
  window->WaitForBatch();
  EXPECT_TRUE(boxes.seen.empty());
  ASSERT_TRUE(fs::exists(folder / "mini-d.webp"));
  const DecodedPicture result = ReadWebpBytes(ReadFileBytes(folder / "mini-d.webp"));
  EXPECT_EQ(RasterWidth(result.raster), 10);
  EXPECT_EQ(RasterHeight(result.raster), 5);
}

// Every resizable row of the registry has its tab, built from the row when it has no classic one:
// captioned with its title, listing its files, its button running its resize command, its pixel
// box stored under "KEY.px", and a Resize-menu entry that shows it.
TEST_F(FormatTabsTest, EveryResizableFormatHasItsTabFromTheRegistry) {
  const std::vector<const FormatRow*> rows = ResizableRows();
  ASSERT_EQ(window->ResizeTabs().size(), rows.size());
  const QList<QAction*> entries = window->M2->actions();
  ASSERT_EQ(entries.size(), static_cast<qsizetype>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FormatRow& row = *rows[i];
    const TForm1::ResizeTab& tab = window->ResizeTabs()[i];
    const QString key = QString::fromUtf8(row.key.data(), qsizetype(row.key.size()));
    SCOPED_TRACE(key.toStdString());
    ASSERT_EQ(tab.row, &row);
    EXPECT_EQ(window->PageControl1->tabText(tab.tab),
              QString::fromUtf8(row.title.data(), qsizetype(row.title.size())));
    EXPECT_EQ(MaskForTab(tab.tab), QString::fromStdString(row.mask()));
    EXPECT_EQ(tab.button->property("command").toString(), "resize-" + key);
    EXPECT_EQ(tab.settingsKey, key + ".px");
    EXPECT_TRUE(window->PageControl1->page(tab.tab)->isAncestorOf(tab.pixels));
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](QAction* action) {
      return action->text() == window->PageControl1->tabText(tab.tab);
    });
    ASSERT_NE(entry, entries.end());
    ClickTab(*window, TForm1::TabAbout);
    (*entry)->trigger();
    EXPECT_EQ(window->PageControl1->currentIndex(), tab.tab);
    EXPECT_EQ(window->FileListBox10->mask(), QString::fromStdString(row.mask()));
  }
}

// The JPEG XL tab comes from its row alone: it lists .jxl files and its button resizes them,
// written as JPEG XL (read back by libjxl's own djxl).
TEST_F(FormatTabsTest, TheJpegXlTabResizesJpegXlFiles) {
  if (!HaveProgram("cjxl") || !HaveProgram("djxl")) PIXTREL_SKIP_MISSING_TOOL() << "cjxl, djxl";
  const auto jxl = std::find_if(window->ResizeTabs().begin(), window->ResizeTabs().end(),
                                [](const TForm1::ResizeTab& tab) { return tab.row->key == "jxl"; });
  ASSERT_NE(jxl, window->ResizeTabs().end());
  WriteFormatPicture(folder / "m.png", 60, 30, 1);
  ASSERT_EQ(
      RunProgram({"cjxl", (folder / "m.png").string(), (folder / "m.jxl").string(), "-d", "0"})
          .exitCode,
      0);
  ClickTab(*window, jxl->tab);
  EXPECT_EQ(window->PageControl1->tabText(jxl->tab), "JPEG XL");
  EXPECT_EQ(ListedNames(*window), QStringList({"m.jxl"}));
  SelectNames(*window, {"m.jxl"});
  jxl->pixels->setText("20");
  BoxAnswerer boxes({});
  jxl->button->click();
  window->WaitForBatch();
  EXPECT_TRUE(boxes.seen.empty());
  ASSERT_TRUE(fs::exists(folder / "mini-m.jxl"));
  const RunResult decoded =
      RunProgram({"djxl", (folder / "mini-m.jxl").string(), (folder / "mini-m.png").string()});
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  const DecodedPicture shown = ReadPngBytes(ReadFileBytes(folder / "mini-m.png"));
  EXPECT_EQ(RasterWidth(shown.raster), 20);
  EXPECT_EQ(RasterHeight(shown.raster), 10);
}

// The AVIF and HEIC tabs come from their rows too: each lists its own files and its button
// resizes them in their own format, read back by the independent decoders (avifdec,
// heif-convert).
TEST_F(FormatTabsTest, TheAvifAndHeicTabsResizeTheirFiles) {
  for (const char* tool : {"avifenc", "avifdec", "heif-enc", "heif-convert"})
    if (!HaveProgram(tool)) PIXTREL_SKIP_MISSING_TOOL() << tool;
  WriteFormatPicture(folder / "m.png", 60, 30, 1);
  ASSERT_EQ(
      RunProgram({"avifenc", (folder / "m.png").string(), (folder / "a.avif").string()}).exitCode,
      0);
  ASSERT_EQ(
      RunProgram({"heif-enc", "-o", (folder / "h.heic").string(), (folder / "m.png").string()})
          .exitCode,
      0);
  const struct {
    const char* key;
    const char* title;
    const char* file;
    const char* decoder;
    QStringList listed;
  } cases[] = {{"avif", "AVIF", "a.avif", "avifdec", {"a.avif", "g.avif"}},
               {"heic", "HEIC", "h.heic", "heif-convert", {"e.heic", "f.HEIF", "h.heic"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const auto tab = std::find_if(window->ResizeTabs().begin(), window->ResizeTabs().end(),
                                  [&](const TForm1::ResizeTab& t) { return t.row->key == c.key; });
    ASSERT_NE(tab, window->ResizeTabs().end());
    ClickTab(*window, tab->tab);
    EXPECT_EQ(window->PageControl1->tabText(tab->tab), c.title);
    EXPECT_EQ(ListedNames(*window), c.listed);
    SelectNames(*window, {c.file});
    tab->pixels->setText("20");
    BoxAnswerer boxes({});
    tab->button->click();
    window->WaitForBatch();
    EXPECT_TRUE(boxes.seen.empty());
    const fs::path written = folder / (std::string("mini-") + c.file);
    ASSERT_TRUE(fs::exists(written));
    const fs::path png = folder / (std::string("mini-") + c.file + ".png");
    const RunResult decoded = RunProgram({c.decoder, written.string(), png.string()});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
    const DecodedPicture shown = ReadPngBytes(ReadFileBytes(png));
    EXPECT_EQ(RasterWidth(shown.raster), 20);
    EXPECT_EQ(RasterHeight(shown.raster), 10);
  }
}

}  // namespace
}  // namespace pixtrel::test
