// Where each file of a batch goes: existing outputs numbered, skipped or replaced; two sources
// never writing one output; no source replaced by another file's output.
#include "batch/OutputPlan.h"

#include <gtest/gtest.h>

#include <set>

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

struct Folder {
  std::set<fs::path> files;
  std::vector<PlannedOutput> plan(const std::vector<fs::path>& sources,
                                  const std::vector<fs::path>& wished, ExistingOutput policy) {
    return PlanOutputs(sources, wished, policy,
                       [this](const fs::path& p) { return files.count(p) > 0; });
  }
};

TEST(OutputPlan, FreeNamesAreTakenAsWished) {
  Folder folder{{"/p/a.heic", "/p/b.heic"}};
  const auto plan =
      folder.plan({"/p/a.heic", "/p/b.heic"}, {"/o/a.jpg", "/o/b.jpg"}, ExistingOutput::Number);
  EXPECT_EQ(plan[0].path, "/o/a.jpg");
  EXPECT_EQ(plan[1].path, "/o/b.jpg");
  EXPECT_FALSE(plan[0].skipped || plan[0].replacesSource);
}

TEST(OutputPlan, AnExistingOutputIsNumberedSkippedOrReplaced) {
  Folder folder{{"/p/a.heic", "/p/a.jpg", "/p/a (2).jpg"}};
  const std::vector<fs::path> sources{"/p/a.heic"}, wished{"/p/a.jpg"};
  EXPECT_EQ(folder.plan(sources, wished, ExistingOutput::Number)[0].path, "/p/a (3).jpg");
  const PlannedOutput skipped = folder.plan(sources, wished, ExistingOutput::Skip)[0];
  EXPECT_TRUE(skipped.skipped);
  EXPECT_EQ(skipped.reason, "exists");
  const PlannedOutput replaced = folder.plan(sources, wished, ExistingOutput::Overwrite)[0];
  EXPECT_EQ(replaced.path, "/p/a.jpg");
  EXPECT_FALSE(replaced.replacesSource);
}

TEST(OutputPlan, TwoSourcesNeverWriteOneOutput) {
  Folder folder{{"/p/x/a.png", "/p/y/a.png", "/p/z/a.png"}};
  const std::vector<fs::path> sources{"/p/x/a.png", "/p/y/a.png", "/p/z/a.png"};
  const std::vector<fs::path> wished(3, "/o/a.jpg");
  for (const ExistingOutput policy : {ExistingOutput::Number, ExistingOutput::Overwrite}) {
    const auto plan = folder.plan(sources, wished, policy);
    EXPECT_EQ(plan[0].path, "/o/a.jpg");
    EXPECT_EQ(plan[1].path, "/o/a (2).jpg");
    EXPECT_EQ(plan[2].path, "/o/a (3).jpg");
  }
  const auto skip = folder.plan(sources, wished, ExistingOutput::Skip);
  EXPECT_EQ(skip[0].path, "/o/a.jpg");
  EXPECT_TRUE(skip[1].skipped && skip[2].skipped);
  EXPECT_EQ(skip[1].reason, "same output as a.png");
}

TEST(OutputPlan, SourcesAreReplacedOnlyByTheirOwnOutputAndOnlyWhenAsked) {
  Folder folder{{"/p/a.jpg", "/p/b.png", "/p/b.jpg"}};
  // Its own source: numbered unless replacing is asked for, and then marked for the user's yes.
  EXPECT_EQ(folder.plan({"/p/a.jpg"}, {"/p/a.jpg"}, ExistingOutput::Number)[0].path,
            "/p/a (2).jpg");
  const PlannedOutput own = folder.plan({"/p/a.jpg"}, {"/p/a.jpg"}, ExistingOutput::Overwrite)[0];
  EXPECT_EQ(own.path, "/p/a.jpg");
  EXPECT_TRUE(own.replacesSource);
  // b.png's output would be b.jpg, another source of the batch: it is never replaced.
  const auto plan =
      folder.plan({"/p/b.png", "/p/b.jpg"}, {"/p/b.jpg", "/p/c.jpg"}, ExistingOutput::Overwrite);
  EXPECT_EQ(plan[0].path, "/p/b (2).jpg");
  EXPECT_FALSE(plan[0].replacesSource);
  EXPECT_EQ(plan[1].path, "/p/c.jpg");
  // Paths are compared as the system will: "./x/../a.jpg" is a.jpg.
  EXPECT_EQ(folder.plan({"/p/a.jpg"}, {"/p/./x/../a.jpg"}, ExistingOutput::Number)[0].path,
            "/p/./x/../a (2).jpg");
}

TEST(OutputPlan, ManySourcesOnOneNameAreNumberedInOrderAtOnce) {
  Folder folder;
  std::vector<fs::path> sources, wished(20000, "/o/out.webp");
  for (int i = 0; i < 20000; ++i)
    sources.push_back("/p/" + std::to_string(i) + ".png");
  const auto plan = folder.plan(sources, wished, ExistingOutput::Number);
  std::set<fs::path> distinct;
  for (const PlannedOutput& out : plan)
    distinct.insert(out.path);
  EXPECT_EQ(distinct.size(), 20000u);
  EXPECT_EQ(plan[19999].path, "/o/out (20000).webp");
}

}  // namespace
}  // namespace pixtrel::test
