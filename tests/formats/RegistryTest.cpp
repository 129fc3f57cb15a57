// The registry's rows are complete and agree with each other: what the commands, the window and
// the packaged lists derive from them holds for every row, including one added later.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "codecs/AnimationCodec.h"
#include "codecs/Registry.h"

namespace pixtrel {
namespace {

bool Lower(std::string_view text) {
  return std::none_of(text.begin(), text.end(),
                      [](unsigned char c) { return std::isupper(c) != 0; });
}

std::vector<std::string> Keys(const std::vector<const FormatRow*>& rows) {
  std::vector<std::string> keys;
  for (const FormatRow* row : rows)
    keys.emplace_back(row->key);
  return keys;
}

TEST(Registry, EveryRowIsComplete) {
  ASSERT_FALSE(Registry().empty());
  for (const FormatRow* row : Registry()) {
    SCOPED_TRACE(std::string(row->key));
    EXPECT_FALSE(row->key.empty());
    EXPECT_TRUE(Lower(row->key));
    EXPECT_FALSE(row->title.empty());
    EXPECT_FALSE(row->name.empty());
    EXPECT_FALSE(row->extensions.empty());
    EXPECT_FALSE(row->mimeTypes.empty());
    EXPECT_NE(row->decode, nullptr) << "every format is read";
    EXPECT_NE(row->probe, nullptr) << "the status bar and the memory budget need its size";
    for (std::string_view extension : row->extensions) {
      EXPECT_TRUE(extension.size() > 1 && extension.front() == '.') << extension;
      EXPECT_TRUE(Lower(extension)) << extension;
    }
    for (std::string_view shown : row->displayExtensions) {
      EXPECT_NE(std::find(row->extensions.begin(), row->extensions.end(), shown),
                row->extensions.end())
          << shown << " is shown but not one of the format's extensions";
    }
    for (std::string_view mime : row->mimeTypes)
      EXPECT_EQ(mime.substr(0, 6), "image/") << mime;
  }
}

TEST(Registry, RowsAgreeWithThemselves) {
  for (const FormatRow* row : Registry()) {
    SCOPED_TRACE(std::string(row->key));
    // A resize writes the format back, so only a written format can have a resize tab.
    if (row->resizable()) EXPECT_TRUE(row->writable());
    // The routes a capability opens end in the row's own writer.
    if (row->decodeBands || row->openIndexed || row->turnsWithoutLoss) EXPECT_TRUE(row->writable());
    EXPECT_EQ(row->animated, row->animation != nullptr);
    if (row->animation) {
      EXPECT_NE(row->animation->countFrames, nullptr);
      EXPECT_NE(row->animation->read, nullptr);
      EXPECT_NE(row->animation->write, nullptr);
    }
    // The EXIF tag can only turn a picture whose reader hands the EXIF block on.
    if (row->orientation == OrientationSource::Exif) EXPECT_TRUE(row->carries.exif);
    if (row->lossless == LosslessWhen::FromSource) EXPECT_TRUE(row->lossyQuality);
    if (!row->writable()) {
      EXPECT_FALSE(row->carries.any()) << "a format never written carries nothing";
      EXPECT_EQ(row->rebuild, nullptr);
    }
    if (row->readMetadata) EXPECT_TRUE(row->carries.any());
  }
}

TEST(Registry, KeysExtensionsAndMimeTypesNameOneFormatEach) {
  std::set<std::string> words, extensions, mimeTypes;
  for (const FormatRow* row : Registry()) {
    EXPECT_TRUE(words.insert(std::string(row->key)).second) << row->key;
    for (std::string_view alias : row->aliases) {
      EXPECT_TRUE(Lower(alias)) << alias;
      EXPECT_TRUE(words.insert(std::string(alias)).second) << alias;
    }
    for (std::string_view extension : row->extensions)
      EXPECT_TRUE(extensions.insert(std::string(extension)).second) << extension;
    for (std::string_view mime : row->mimeTypes)
      EXPECT_TRUE(mimeTypes.insert(std::string(mime)).second) << mime;
  }
}

TEST(Registry, ResizeRanksNumberTheResizableRowsFromZero) {
  // The batch's options hold one set of resize controls per rank.
  const std::vector<const FormatRow*> rows = ResizableRows();
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i]->resizeRank, static_cast<int>(i)) << rows[i]->key;
}

// The first n keys of the rows.
std::vector<std::string> First(const std::vector<const FormatRow*>& rows, std::size_t n) {
  std::vector<std::string> keys = Keys(rows);
  keys.resize(std::min(n, keys.size()));
  return keys;
}

TEST(Registry, TheClassicFormatsKeepTheirOrders) {
  // --help, the resize tabs and the stored settings know the resize order; --to, "Convert to..."
  // and the conversions' extension list know the registry's. Formats added later come after.
  EXPECT_EQ(First(ResizableRows(), 5),
            (std::vector<std::string>{"jpg", "gif", "bmp", "png", "webp"}));
  EXPECT_EQ(First(WritableRows(), 5),
            (std::vector<std::string>{"jpg", "png", "webp", "gif", "bmp"}));
  EXPECT_EQ(First(Registry(), 6),
            (std::vector<std::string>{"jpg", "png", "webp", "gif", "bmp", "heic"}));
}

TEST(Registry, LookupsIgnoreCaseAndTakeAliases) {
  EXPECT_EQ(RowForKey("JPEG"), RowForKey("jpg"));
  EXPECT_EQ(RowForKey("WebP"), RowForKey("webp"));
  EXPECT_EQ(RowForKey("jpe"), nullptr);
  EXPECT_EQ(RowForKey(""), nullptr);
  EXPECT_EQ(RowForFileName("a.b.JPE"), RowForKey("jpg"));
  EXPECT_EQ(RowForFileName("dir.png/photo.AVIF"), RowForKey("avif"));
  EXPECT_EQ(RowForFileName("photo.HEIF"), RowForKey("heic"));
  EXPECT_EQ(RowForKey("heif"), RowForKey("HEIC"));  // the word of the read-only row it replaced
  EXPECT_EQ(RowForFileName("notes.txt"), nullptr);
  EXPECT_EQ(RowForFileName("jpg"), nullptr);
  EXPECT_EQ(RowForFileName("photo."), nullptr);
}

}  // namespace
}  // namespace pixtrel
