#include "batch/OutputPlan.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <unordered_set>

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

std::vector<PlannedOutput> PlanOutputs(
    const std::vector<std::filesystem::path>& sources,
    const std::vector<std::filesystem::path>& wished, ExistingOutput policy,
    const std::function<bool(const std::filesystem::path&)>& exists) {
  if (sources.size() != wished.size()) throw Exception("Internal error: outputs for every source");
  // Where each source is in the list.
  std::unordered_map<std::string, std::size_t> sourceAt;
  for (std::size_t i = 0; i < sources.size(); ++i)
    sourceAt.emplace(Key(sources[i]), i);
  std::unordered_map<std::string, std::size_t> taken;  // output -> the source writing it
  std::unordered_map<std::string, int> nextNumber;     // wished output -> first number to try
  std::vector<PlannedOutput> plan(sources.size());

  for (std::size_t i = 0; i < sources.size(); ++i) {
    PlannedOutput& out = plan[i];
    const std::string wishedKey = Key(wished[i]);
    const auto takenBy = taken.find(wishedKey);
    const auto source = sourceAt.find(wishedKey);
    const bool ownSource = source != sourceAt.end() && source->second == i;
    // Another source of this batch is never replaced by a different file's output.
    const bool otherSource = source != sourceAt.end() && source->second != i;
    const bool there = source != sourceAt.end() || exists(wished[i]);

    if (takenBy != taken.end()) {
      if (policy == ExistingOutput::Skip) {
        out.skipped = true;
        out.reason = "same output as " + sources[takenBy->second].filename().string();
        continue;
      }
    } else if (!there && !otherSource) {
      out.path = wished[i];
      taken.emplace(wishedKey, i);
      continue;
    } else if (policy == ExistingOutput::Skip) {
      out.skipped = true;
      out.reason = "exists";
      continue;
    } else if (policy == ExistingOutput::Overwrite && !otherSource) {
      out.path = wished[i];
      out.replacesSource = ownSource;
      taken.emplace(wishedKey, i);
      continue;
    }
    // Numbered: the first free name, on disk and in this batch.
    int& number = nextNumber.try_emplace(wishedKey, 2).first->second;
    for (;; ++number) {
      if (number > 1'000'000) throw Exception("No free name for " + wished[i].string());
      const std::filesystem::path candidate = NumberedPath(wished[i], number);
      const std::string key = Key(candidate);
      if (taken.count(key) || sourceAt.count(key) || exists(candidate)) continue;
      out.path = candidate;
      taken.emplace(key, i);
      ++number;
      break;
    }
  }
  return plan;
}

}  // namespace pixtrel
