// The one-pass command's options as the command line, presets and the window set them.
#include "operations/ProcessJob.h"

#include <gtest/gtest.h>

#include "batch/Preset.h"
#include "core/Errors.h"

namespace pixtrel::test {
namespace {

std::string Refusal(const std::string& name, const std::string& value) {
  ProcessJob job;
  try {
    ApplyOption(job, name, value);
  } catch (const Exception& e) {
    return e.what();
  }
  return "no error";
}

TEST(ProcessJob, EachOptionSetsItsPart) {
  ProcessJob job;
  const std::pair<const char*, const char*> options[] = {{"size", "fill:300x200"},
                                                         {"shrink-only", ""},
                                                         {"method", "better"},
                                                         {"turn", "flip-v"},
                                                         {"ignore-orientation", "yes"},
                                                         {"to", "WebP"},
                                                         {"quality", "0"},
                                                         {"lossless", "on"},
                                                         {"progressive", "1"},
                                                         {"optimise", "true"},
                                                         {"background", "#1a2B3c"},
                                                         {"sharpen", "medium"},
                                                         {"out", "web"},
                                                         {"name", "{name}-{w}"},
                                                         {"recursive", "yes"},
                                                         {"existing", "skip"},
                                                         {"metadata", "strip-gps"},
                                                         {"keep-date", "yes"},
                                                         {"max-size", "1.5M"}};
  for (const auto& [name, value] : options)
    ApplyOption(job, name, value);
  EXPECT_EQ(SizeRuleText(job.size), "fill:300x200");
  EXPECT_TRUE(job.shrinkOnly && job.lossless && job.progressive && job.optimise && job.recursive &&
              job.keepDate);
  EXPECT_FALSE(job.upright);
  EXPECT_EQ(job.method, ProcessMethod::Better);
  EXPECT_EQ(job.turn, TurnStep::FlipV);
  EXPECT_EQ(job.to, "webp");
  EXPECT_EQ(job.quality, 0);
  EXPECT_EQ(job.background, 0x1A2B3Cu);
  EXPECT_EQ(job.sharpen, SharpenStrength::Medium);
  EXPECT_EQ(job.out, "web");
  EXPECT_EQ(job.name, "{name}-{w}");
  EXPECT_EQ(job.existing, ExistingChoice::Skip);
  EXPECT_EQ(job.metadata, MetadataMode::StripGps);
  EXPECT_EQ(job.maxBytes, 1'500'000);
  // A later value wins, as options given after a preset override it.
  ApplyOption(job, "lossless", "no");
  ApplyOption(job, "max-size", "none");
  EXPECT_FALSE(job.lossless);
  EXPECT_FALSE(job.maxBytes);
}

TEST(ProcessJob, WrongValuesAreNamed) {
  EXPECT_EQ(Refusal("method", "best"), "--method takes fast, better or normal, not 'best'");
  EXPECT_EQ(Refusal("turn", "90"),
            "--turn takes none, right, left, 180, flip-h or flip-v, not '90'");
  EXPECT_EQ(Refusal("quality", "101"), "--quality takes a whole number from 0 to 100, not '101'");
  EXPECT_EQ(Refusal("lossless", "maybe"), "--lossless takes yes or no, not 'maybe'");
  EXPECT_EQ(Refusal("background", "red"), "--background takes a colour as #RRGGBB, not 'red'");
  EXPECT_EQ(Refusal("background", "#12345"),
            "--background takes a colour as #RRGGBB, not '#12345'");
  EXPECT_EQ(Refusal("existing", "replace"),
            "--existing takes number, skip or overwrite, not 'replace'");
  EXPECT_EQ(Refusal("size", "long:0"),
            "--size: Unknown size \"long:0\": expected a whole number from 1 to 65500");
  EXPECT_EQ(Refusal("colour", "red"), "Unknown option --colour");
  EXPECT_EQ(Refusal("max-size", "lots"), "--max-size takes a size such as 500k or 2M, not 'lots'");
}

TEST(ProcessJob, ByteSizes) {
  EXPECT_EQ(ParseByteSize("500k"), 500'000);
  EXPECT_EQ(ParseByteSize("500KB"), 500'000);
  EXPECT_EQ(ParseByteSize("2M"), 2'000'000);
  EXPECT_EQ(ParseByteSize("64KiB"), 65'536);
  EXPECT_EQ(ParseByteSize("1MiB"), 1'048'576);
  EXPECT_EQ(ParseByteSize("800000"), 800'000);
  for (const char* bad : {"", "k", "0", "0.0001k", "5G", "1..5M", "-3k", "2 M"})
    EXPECT_THROW((void)ParseByteSize(bad), Exception) << bad;
}

TEST(ProcessJob, EveryBuiltInPresetReadsAsOptions) {
  for (const Preset& preset : BuiltInPresets()) {
    ProcessJob job;
    for (const auto& [name, value] : preset.options) {
      EXPECT_NO_THROW(ApplyOption(job, name, value)) << preset.name << ": " << name;
    }
  }
  ProcessJob email;
  for (const auto& [name, value] : BuiltInPresets()[0].options)
    ApplyOption(email, name, value);
  EXPECT_EQ(SizeRuleText(email.size), "long:1600");
  EXPECT_EQ(email.to, "jpg");
  EXPECT_EQ(email.quality, 85);
  EXPECT_EQ(email.metadata, MetadataMode::StripGps);
}

}  // namespace
}  // namespace pixtrel::test
