// Presets: built-in ones, the user's saved and read back by any name, refused changes to the
// built-in ones, and damaged files reported.
#include "batch/Preset.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/Errors.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

std::string Names(const std::vector<Preset>& presets) {
  std::string text;
  for (const Preset& p : presets)
    text += p.name + "|";
  return text;
}

TEST(Presets, BuiltInOnesComeFirstAndCannotBeChanged) {
  TempFolder folder;
  const PresetStore store(folder / "presets");
  EXPECT_EQ(Names(store.list()), "Email|Web|Phone photos to JPEG|Thumbnails|");
  const Preset email = *store.find("Email");
  EXPECT_TRUE(email.builtIn);
  EXPECT_EQ(PresetText(email),
            "# Pixtrel preset \"Email\": one option=value per line\n"
            "size=long:1600\nto=jpg\nquality=85\nmetadata=strip-gps\n");
  try {
    store.save({"Email", {{"quality", "50"}}, false});
    ADD_FAILURE() << "a built-in preset was replaced";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "The preset Email comes with Pixtrel and cannot be changed");
  }
  EXPECT_THROW(store.remove("Thumbnails"), Exception);
  EXPECT_FALSE(fs::exists(folder / "presets"));
}

TEST(Presets, TheUsersAreSavedListedAndDeletedByAnyName) {
  TempFolder folder;
  const PresetStore store(folder / "presets");
  const std::vector<std::string> names{"Shop 1600/WebP", "../escape",    ".hidden",
                                       "50% smaller",    "Ünïcode 写真", "a:b\\c"};
  for (const std::string& name : names)
    store.save({name, {{"size", "long:1600"}, {"to", "webp"}, {"name", "{name} = web"}}, false});
  for (const std::string& name : names) {
    const std::optional<Preset> read = store.find(name);
    ASSERT_TRUE(read) << name;
    ASSERT_EQ(read->options.size(), 3u);
    EXPECT_EQ(read->options[2].second, "{name} = web");  // the first "=" splits
    // Every file stays inside the folder, under a name of its own.
    EXPECT_EQ(store.fileOf(name).parent_path(), folder / "presets") << name;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "presets"), fs::directory_iterator()),
            static_cast<long>(names.size()));
  EXPECT_EQ(Names(store.list()),
            "Email|Web|Phone photos to JPEG|Thumbnails|../escape|.hidden|50% smaller|"
            "Shop 1600/WebP|a:b\\c|Ünïcode 写真|");
  store.remove("../escape");
  EXPECT_FALSE(store.find("../escape"));
  store.remove("never saved");  // nothing there: nothing to do
}

TEST(Presets, ADamagedFileIsReportedByItsPresetsName) {
  TempFolder folder;
  const PresetStore store(folder.path());
  std::ofstream(store.fileOf("Mine")) << "# mine\nsize=long:800\r\n\nno equals sign here\n";
  try {
    (void)store.find("Mine");
    ADD_FAILURE() << "a damaged preset was read";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Preset Mine, line 4: expected option=value");
  }
  EXPECT_THROW(store.save({"Bad", {{"to", "jpg\nquality=1"}}, false}), Exception);
}

}  // namespace
}  // namespace pixtrel::test
