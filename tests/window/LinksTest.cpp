// Help and web links: what every trigger opens, the update link's colours, and the local help
// page beside the program or in an installed program's share folder.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QUrlQuery>
#include <fstream>

#include "app/PageControl.h"
#include "tests/window/ViewsTestSupport.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/Links.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class LinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Store("preview", "0");
    window = StartWindow();
  }

  // The one address a trigger opened.
  template <class Trigger>
  QUrl Opened(Trigger&& trigger) {
    OpenedLinks links;
    trigger();
    QApplication::processEvents();
    EXPECT_EQ(links.urls.size(), 1u);
    return links.urls.empty() ? QUrl() : links.urls.front();
  }

  QUrl Clicked(QWidget* widget) {
    return Opened([&] { QTest::mouseClick(widget, Qt::LeftButton); });
  }
  QUrl Clicked(const char* widget) { return Clicked(Control<QWidget>(*window, widget)); }
  QUrl Chosen(const char* entry) {
    return Opened([&] { Control<QAction>(*window, entry)->trigger(); });
  }

  WindowEnvironment environment;
  std::unique_ptr<TForm1> window;
};

TEST_F(LinksTest, EveryLinkOpensItsPage) {
  const QUrl home = Chosen("M92");
  EXPECT_EQ(home.scheme(), "https");
  EXPECT_TRUE(home.host().endsWith("pixtrel.example")) << home.toString().toStdString();
  EXPECT_EQ(home, QUrl(window->UpdatePageAddress));
  EXPECT_EQ(window->HomePageAddress, window->UpdatePageAddress);
  EXPECT_EQ(Clicked("HotLabel1"), home);
  EXPECT_EQ(Clicked("Image2"), home);
  EXPECT_EQ(Clicked("StatusBar1"), home);
  EXPECT_EQ(Clicked("StatusPanel1"), home);
  EXPECT_EQ(Clicked("StatusPanel2"), home);

  const QUrl help = Chosen("M97");
  EXPECT_EQ(help.host(), home.host());
  EXPECT_EQ(help.path(), "/help.php");
  EXPECT_EQ(Clicked("Button11"), help);

  const QUrl maker = Clicked(window->Image1);  // the banner
  EXPECT_TRUE(maker.host().endsWith("pixtrel.example"));
  EXPECT_EQ(maker.path(), "/eng/");
  EXPECT_EQ(maker, QUrl(window->MakerPageAddress));
  const QUrl forum = Chosen("M95");
  EXPECT_EQ(forum.host(), maker.host());
  EXPECT_NE(forum, maker);
  for (const auto& [entry, path] :
       {std::pair{"M93", "/eng/ordercdnow.html"}, std::pair{"M94", "/eng/donations.html"},
        std::pair{"M79", "/eng/translate/"}}) {
    const QUrl page = Chosen(entry);
    EXPECT_EQ(page.host(), maker.host()) << entry;
    EXPECT_EQ(page.path(), path) << entry;
  }

  const QUrl donate = Clicked("Image30");
  EXPECT_TRUE(donate.host().endsWith("pixtrel.example"));
  EXPECT_EQ(donate.path(), "/cgi-bin/webscr");
  const QUrlQuery query(donate);
  EXPECT_EQ(query.queryItemValue("cmd"), "_s-xclick");
  EXPECT_FALSE(query.queryItemValue("hosted_button_id").isEmpty());

  // "Help" only shows the Help tab.
  OpenedLinks links;
  window->M91->trigger();
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabHelp);
  EXPECT_TRUE(links.urls.empty());
}

TEST_F(LinksTest, ADoubleClickOpensAPageOnce) {
  OpenedLinks links;
  auto* logo = Control<QWidget>(*window, "Image2");
  // Press, release, press, double click, release: as the window system delivers one.
  QTest::mouseClick(logo, Qt::LeftButton);
  QTest::mouseDClick(logo, Qt::LeftButton);
  QTest::mouseRelease(logo, Qt::LeftButton);
  EXPECT_EQ(links.urls.size(), 1u);
  QTest::mouseClick(logo, Qt::RightButton);
  EXPECT_EQ(links.urls.size(), 1u);
  QTest::mouseClick(logo, Qt::LeftButton);
  EXPECT_EQ(links.urls.size(), 2u);
}

TEST_F(LinksTest, TheUpdateLinkTurnsRedWhilePressedAndNavyAfter) {
  auto* link = Control<QLabel>(*window, "HotLabel1");
  EXPECT_TRUE(link->styleSheet().contains("rgb(0, 0, 160)"));
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(link->toolTip(), window->HomePageAddress);
  OpenedLinks links;
  QTest::mousePress(link, Qt::LeftButton);
  EXPECT_TRUE(link->styleSheet().contains("rgb(255, 0, 0)"));
  EXPECT_TRUE(links.urls.empty());
  QTest::mouseRelease(link, Qt::LeftButton);
  EXPECT_TRUE(link->styleSheet().contains("rgb(0, 0, 128)"));
  EXPECT_EQ(links.urls.size(), 1u);
  // Released away from the link: navy again, and nothing opens.
  QTest::mousePress(link, Qt::LeftButton);
  QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, QPoint(-5, -5));
  EXPECT_TRUE(link->styleSheet().contains("rgb(0, 0, 128)"));
  EXPECT_EQ(links.urls.size(), 1u);
}

// This test program lies in a folder without help.htm, and no share folder beside it.
TEST_F(LinksTest, AMissingHelpPageReportsNothing) {
  ASSERT_TRUE(FindLocalHelp(QCoreApplication::applicationDirPath()).isEmpty());
  BoxAnswerer boxes({});
  OpenedLinks links;
  window->M96->trigger();
  QTest::mouseClick(Control<QPushButton>(*window, "Button12"), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_TRUE(links.urls.empty());
  EXPECT_TRUE(boxes.seen.empty());
  EXPECT_TRUE(window->isVisible());
}

TEST(LocalHelpTest, TheHelpPageIsFoundBesideTheProgramOrInItsShareFolder) {
  TempFolder folder;
  const fs::path bin = folder / "bin";
  fs::create_directories(bin);
  EXPECT_TRUE(FindLocalHelp(Q(bin)).isEmpty());
  fs::create_directories(folder / "share" / "pixtrel");
  std::ofstream(folder / "share" / "pixtrel" / "help.htm") << "<html></html>";
  EXPECT_EQ(FindLocalHelp(Q(bin)), Q(fs::canonical(folder / "share/pixtrel/help.htm")));
  std::ofstream(bin / "help.htm") << "<html></html>";
  EXPECT_EQ(FindLocalHelp(Q(bin)), Q(bin / "help.htm"));
  // A folder of that name is no page.
  fs::remove(bin / "help.htm");
  fs::create_directory(bin / "help.htm");
  EXPECT_EQ(FindLocalHelp(Q(bin)), Q(fs::canonical(folder / "share/pixtrel/help.htm")));
}

// The page the build puts beside the program describes what the program offers.
TEST(LocalHelpTest, TheBuiltHelpPageDescribesEveryPart) {
  const QString page = FindLocalHelp(QStringLiteral(PIXTREL_PROGRAM_FOLDER));
  ASSERT_FALSE(page.isEmpty());
  std::ifstream in(page.toStdString());
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* part : {"JPG",
                           "GIF",
                           "BMP",
                           "About Pixtrel",
                           "Help",
                           "GIF -&gt; JPG",
                           "JPG -&gt; GIF",
                           "BMP -&gt; JPG",
                           "BMP -&gt; GIF",
                           "Rotate",
                           "JPEG quality",
                           "Greyscale",
                           "Options",
                           "JPG -&gt; BMP",
                           "GIF -&gt; BMP",
                           "add prefix",
                           "vantro",
                           "overwrite",
                           "Preserve image file date and time",
                           "Preview images",
                           "View image",
                           "Recent folders",
                           "Special Folders",
                           "Language",
                           "pixtrel-batch"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace pixtrel::test
