// The choices the window keeps beside the pixel texts: the PNG and WebP pixel boxes, the
// "Resize & convert" tab's format (which starts at the former "Convert to" choice), and the Options
// tab's shrink-only, orientation and metadata choices. Stored when the window closes, restored when
// it opens, and handed to every batch.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "app/WindowBatchHost.h"
#include "codecs/Registry.h"
#include "tests/window/WindowTestSupport.h"

namespace pixtrel::test {
namespace {

class StoredChoicesTest : public ::testing::Test {
 protected:
  static void Choose(QComboBox* box, const QString& key) {
    box->setCurrentIndex(box->findData(key));
    ASSERT_EQ(box->currentData().toString(), key);
  }

  WindowEnvironment environment;
};

TEST_F(StoredChoicesTest, ChoicesMadeInTheWindowAreStoredAndComeBackNextTime) {
  {
    auto window = StartWindow();
    window->Edit15->setText("640");
    window->Edit16->setText("12px");
    Choose(window->ComboBox1, "webp");
    window->CheckBox2->setChecked(true);
    window->CheckBox3->setChecked(true);
    Choose(window->ComboBox2, "strip-gps");
    window->close();
  }
  EXPECT_EQ(Stored("png.px"), "640");
  EXPECT_EQ(Stored("webp.px"), "12px");
  EXPECT_EQ(Stored("Process/to"), "webp");  // stored as it changed
  EXPECT_EQ(Stored("shrinkonly"), "1");
  EXPECT_EQ(Stored("ignoreorientation"), "1");
  EXPECT_EQ(Stored("metadata"), "strip-gps");
  {
    auto window = StartWindow();
    EXPECT_EQ(window->Edit15->text(), "640");
    EXPECT_EQ(window->Edit16->text(), "12px");
    EXPECT_EQ(window->ComboBox1->currentText(), "WebP");
    EXPECT_TRUE(window->CheckBox2->isChecked());
    EXPECT_TRUE(window->CheckBox3->isChecked());
    EXPECT_EQ(window->ComboBox2->currentText(), "Remove GPS and location only");
    // Back to the defaults, stored as such.
    Choose(window->ComboBox1, "jpg");
    window->CheckBox2->setChecked(false);
    window->CheckBox3->setChecked(false);
    Choose(window->ComboBox2, "strip");
    window->close();
  }
  EXPECT_EQ(Stored("Process/to"), "jpg");
  EXPECT_EQ(Stored("shrinkonly"), "0");
  EXPECT_EQ(Stored("ignoreorientation"), "0");
  EXPECT_EQ(Stored("metadata"), "strip");
  auto window = StartWindow();
  EXPECT_FALSE(window->CheckBox2->isChecked());
  EXPECT_EQ(window->ComboBox2->currentText(), "Remove all");
}

TEST_F(StoredChoicesTest, StoredValuesThatNameNothingKnownGiveTheDefaults) {
  const struct {
    const char* convertTo;
    const char* shrinkOnly;
    const char* ignoreOrientation;
    const char* metadata;
    const char* expectedTarget;
    bool expectedShrink;
    bool expectedIgnore;
  } cases[] = {
      {"HEIF", "yes", "2", "STRIP", "heic", false, false},  // HEIC's old word; not 0/1; case
      {"tiff", " +1", "0x1", "gps", "jpg", true, true},     // the integer reader's syntax
      {"bmp", "", "-1", "", "bmp", false, false},           // empty texts
  };
  for (const auto& c : cases) {
    WindowEnvironment fresh;
    Store("convert.to", c.convertTo);
    Store("shrinkonly", c.shrinkOnly);
    Store("ignoreorientation", c.ignoreOrientation);
    Store("metadata", c.metadata);
    Store("png.px", "");
    auto window = StartWindow();
    EXPECT_EQ(window->ComboBox1->currentData().toString(), c.expectedTarget) << c.convertTo;
    EXPECT_EQ(window->CheckBox2->isChecked(), c.expectedShrink) << c.shrinkOnly;
    EXPECT_EQ(window->CheckBox3->isChecked(), c.expectedIgnore) << c.ignoreOrientation;
    EXPECT_EQ(window->ComboBox2->currentData().toString(), "keep") << c.metadata;
    EXPECT_EQ(window->Edit15->text(), "");  // empty is kept, not the default
    EXPECT_EQ(window->Edit16->text(), "800");
  }
}

TEST_F(StoredChoicesTest, TheBatchTakesEveryOptionFromItsControl) {
  auto window = StartWindow();
  WindowBatchHost host(*window);
  const BatchOptions defaults = host.options();
  EXPECT_TRUE(defaults.upright);
  EXPECT_FALSE(defaults.shrinkOnly);
  EXPECT_EQ(defaults.metadata, MetadataMode::Keep);
  EXPECT_EQ(defaults.convertTarget, RowForKey("jpg"));

  window->Edit2->setText("1");
  window->Edit1->setText("2");
  window->Edit3->setText("3");
  window->Edit15->setText("4");
  window->Edit16->setText("5");
  window->TrackBar15->setValue(0);
  window->CheckBox2->setChecked(true);
  window->CheckBox3->setChecked(true);
  Choose(window->ComboBox2, "strip-gps");
  Choose(window->ComboBox1, "png");
  const BatchOptions o = host.options();
  const std::pair<const FormatRow*, const char*> pixels[] = {{RowForKey("jpg"), "1"},
                                                             {RowForKey("gif"), "2"},
                                                             {RowForKey("bmp"), "3"},
                                                             {RowForKey("png"), "4"},
                                                             {RowForKey("webp"), "5"}};
  for (const auto& [format, text] : pixels) {
    EXPECT_EQ(o.pixels(*format), text) << text;
    const ResizeMethod method =
        format == RowForKey("png") ? ResizeMethod::Normal : ResizeMethod::Better;
    EXPECT_EQ(o.methodFor(*format), method) << text;
  }
  EXPECT_FALSE(o.upright);
  EXPECT_TRUE(o.shrinkOnly);
  EXPECT_EQ(o.metadata, MetadataMode::StripGps);
  EXPECT_EQ(o.convertTarget, RowForKey("png"));
  Choose(window->ComboBox2, "strip");
  Choose(window->ComboBox1, "bmp");
  EXPECT_EQ(host.options().metadata, MetadataMode::Strip);
  EXPECT_EQ(host.options().convertTarget, RowForKey("bmp"));
}

}  // namespace
}  // namespace pixtrel::test
