#include "batch/OutputPlan.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/Errors.h"

namespace pixtrel {
namespace {

// Paths compared as the file system will: lexically normal, and without case where the
// system's names have none.
std::string Key(const std::filesystem::path& path) {
  std::string key = path.lexically_normal().generic_string();
#ifdef _WIN32
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
#endif
  return key;
}

}  // namespace

std::filesystem::path NumberedPath(const std::filesystem::path& path, int number) {
  std::filesystem::path numbered = path;
  numbered.replace_filename(path.stem().string() + " (" + std::to_string(number) + ")" +
                            path.extension().string());
  return numbered;
}

OutputPlanner::OutputPlanner(std::vector<std::filesystem::path> sources, ExistingOutput policy,
                             std::function<bool(const std::filesystem::path&)> exists)
    : sources_(std::move(sources)), policy_(policy), exists_(std::move(exists)) {
  for (std::size_t i = 0; i < sources_.size(); ++i)
    sourceAt_.emplace(Key(sources_[i]), i);
}

PlannedOutput OutputPlanner::place(std::size_t i, const std::filesystem::path& wished) {
  PlannedOutput out;
  const std::string wishedKey = Key(wished);
  const auto takenBy = taken_.find(wishedKey);
  const auto source = sourceAt_.find(wishedKey);
  const bool ownSource = source != sourceAt_.end() && source->second == i;
  // Another source of this batch is never replaced by a different file's output.
  const bool otherSource = source != sourceAt_.end() && source->second != i;
  const bool there = source != sourceAt_.end() || exists_(wished);

  if (takenBy != taken_.end()) {
    if (policy_ == ExistingOutput::Skip) {
      out.skipped = true;
      out.reason = "same output as " + sources_[takenBy->second].filename().string();
      return out;
    }
  } else if (!there && !otherSource) {
    out.path = wished;
    taken_.emplace(wishedKey, i);
    return out;
  } else if (policy_ == ExistingOutput::Skip) {
    out.skipped = true;
    out.reason = "exists";
    return out;
  } else if (policy_ == ExistingOutput::Overwrite && !otherSource) {
    out.path = wished;
    out.replacesSource = ownSource;
    taken_.emplace(wishedKey, i);
    return out;
  }
  // Numbered: the first free name, on disk and in this batch.
  int& number = nextNumber_.try_emplace(wishedKey, 2).first->second;
  for (;; ++number) {
    if (number > 1'000'000) throw Exception("No free name for " + wished.string());
    const std::filesystem::path candidate = NumberedPath(wished, number);
    const std::string key = Key(candidate);
    if (taken_.count(key) || sourceAt_.count(key) || exists_(candidate)) continue;
    out.path = candidate;
    taken_.emplace(key, i);
    ++number;
    return out;
  }
}

std::vector<PlannedOutput> PlanOutputs(
    const std::vector<std::filesystem::path>& sources,
    const std::vector<std::filesystem::path>& wished, ExistingOutput policy,
    const std::function<bool(const std::filesystem::path&)>& exists) {
  if (sources.size() != wished.size()) throw Exception("Internal error: outputs for every source");
  OutputPlanner planner(sources, policy, exists);
  std::vector<PlannedOutput> plan;
  plan.reserve(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i)
    plan.push_back(planner.place(i, wished[i]));
  return plan;
}

}  // namespace pixtrel
