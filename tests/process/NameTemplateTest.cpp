// Output names from a template: every token, folders made by "/", and templates or values that
// would leave the output folder.
#include "batch/NameTemplate.h"

#include <gtest/gtest.h>

#include "core/Errors.h"

namespace pixtrel::test {
namespace {

NameValues Photo() {
  NameValues v;
  v.name = "IMG_0042";
  v.extension = "HEIC";
  v.width = 1600;
  v.height = 1200;
  v.sourceWidth = 4032;
  v.sourceHeight = 3024;
  v.position = 7;
  v.date = DateTime{2026, 3, 9, 8, 5, 1};
  v.preset = "Email";
  return v;
}

std::string Refusal(const std::string& text) {
  try {
    (void)NameTemplate(text);
  } catch (const Exception& e) {
    return e.what();
  }
  return "no error";
}

TEST(NameTemplate, EveryTokenHasItsValue) {
  EXPECT_EQ(NameTemplate("{name}").expand(Photo()), "IMG_0042");
  EXPECT_EQ(NameTemplate("{name}-{w}x{h} from {W}x{H}.{ext}").expand(Photo()),
            "IMG_0042-1600x1200 from 4032x3024.HEIC");
  EXPECT_EQ(NameTemplate("{n} {n:3} {n:1}").expand(Photo()), "7 007 7");
  EXPECT_EQ(NameTemplate("{date} {date:%Y%m%d-%H%M%S} {date:100%%}").expand(Photo()),
            "2026-03-09 20260309-080501 100%");
  EXPECT_EQ(NameTemplate("{preset}_{name}").expand(Photo()), "Email_IMG_0042");
  // A position longer than its padding keeps every digit.
  NameValues many = Photo();
  many.position = 12345;
  EXPECT_EQ(NameTemplate("{n:3}").expand(many), "12345");
  // Text around the tokens is kept as written, braces-free.
  EXPECT_EQ(NameTemplate("small copy of {name} (web)").expand(Photo()),
            "small copy of IMG_0042 (web)");
}

TEST(NameTemplate, SlashesMakeFolders) {
  EXPECT_EQ(NameTemplate("{date:%Y}/{date:%m}/{name}").expand(Photo()), "2026/03/IMG_0042");
  EXPECT_EQ(NameTemplate("web/{w}/{name}").expand(Photo()), "web/1600/IMG_0042");
}

TEST(NameTemplate, MistakesAreRefusedBeforeAnythingIsWritten) {
  EXPECT_EQ(Refusal("{title}"), "The name template \"{title}\" has an unknown token {title}");
  EXPECT_EQ(Refusal("{name"), "The name template \"{name\" has a \"{\" without its \"}\"");
  EXPECT_EQ(Refusal("name}"), "The name template \"name}\" has a \"}\" without its \"{\"");
  EXPECT_EQ(Refusal("{date:%B}"),
            "The name template \"{date:%B}\" has a date format other than %Y %m %d %H %M %S "
            "and %%");
  EXPECT_EQ(Refusal("{n:0}"), "The name template \"{n:0}\" pads {n} to a width other than 1 to 9");
  EXPECT_EQ(Refusal("{n:x}"), "The name template \"{n:x}\" pads {n} to a width other than 1 to 9");
  EXPECT_EQ(Refusal("{w:3}"), "The name template \"{w:3}\" gives {w} an argument it does not take");
  EXPECT_EQ(Refusal(""), "The name template \"\" gives an empty name");
  EXPECT_EQ(Refusal("a//{name}"),
            "The name template \"a//{name}\" has an empty name between slashes");
  EXPECT_EQ(Refusal("{name}/"), "The name template \"{name}/\" has an empty name between slashes");
  EXPECT_EQ(Refusal(std::string("a\0b", 3)), "The name template has a NUL character");
}

TEST(NameTemplate, TemplatesThatLeaveTheOutputFolderAreRefused) {
  for (const char* text : {"../{name}", "/tmp/{name}", "a/../../{name}", "./{name}", "..",
                           "{name}/..", "web/./{name}"}) {
    EXPECT_EQ(Refusal(text),
              "The name template \"" + std::string(text) + "\" leaves the output folder");
  }
  EXPECT_NE(Refusal("a\\b").find("folders are made with \"/\""), std::string::npos);
}

TEST(NameTemplate, NoValueLeadsOutOfTheFolderOrMakesFoldersOfItsOwn) {
  NameValues odd = Photo();
  for (const std::string value : {"..", ".", "", "a/b", "../../etc/passwd", "x\\y", "/abs"}) {
    odd.name = value;
    odd.preset = value;
    odd.extension = value;
    for (const char* text : {"{name}", "{preset}/{name}", "{name}.{ext}", "{ext}/{preset}"}) {
      const std::string path = NameTemplate(text).expand(odd);
      EXPECT_FALSE(path.empty());
      EXPECT_NE(path.front(), '/') << text << " with " << value;
      std::size_t start = 0;
      while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        EXPECT_TRUE(!part.empty() && part != "." && part != "..")
            << text << " with \"" << value << "\" gave " << path;
        start = end + 1;
      }
      // Only the template's own slashes make folders.
      const std::string expected = text;
      EXPECT_EQ(std::count(path.begin(), path.end(), '/'),
                std::count(expected.begin(), expected.end(), '/'))
          << text << " with \"" << value << "\" gave " << path;
    }
  }
}

}  // namespace
}  // namespace pixtrel::test
