#pragma once
// Where each file of a batch goes, decided for the whole list before the first is written: an
// output that exists already is numbered, skipped or replaced as asked; two sources never
// write the same output; and no output replaces a source the batch has still to read.
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pixtrel {

enum class ExistingOutput { Number, Skip, Overwrite };

struct PlannedOutput {
  std::filesystem::path path;  // where to write (empty when skipped)
  bool skipped = false;
  std::string reason;           // why it was skipped
  bool replacesSource = false;  // the output is the file's own source (needs the user's yes)
};

// Decides file after file, in list order, knowing every source from the start: for a batch
// that names an output only once its picture is made (a name with the output's size in it).
class OutputPlanner {
 public:
  OutputPlanner(std::vector<std::filesystem::path> sources, ExistingOutput policy,
                std::function<bool(const std::filesystem::path&)> exists);
  // Where sources[i] goes, wished being where its name alone would put it. Numbered names are
  // "name (2).ext", "name (3).ext", ...
  PlannedOutput place(std::size_t i, const std::filesystem::path& wished);

 private:
  std::vector<std::filesystem::path> sources_;
  ExistingOutput policy_;
  std::function<bool(const std::filesystem::path&)> exists_;
  std::unordered_map<std::string, std::size_t> sourceAt_;  // where each source is in the list
  std::unordered_map<std::string, std::size_t> taken_;     // output -> the source writing it
  std::unordered_map<std::string, int> nextNumber_;        // wished -> first number to try
};

// The whole list at once: wished[i] is where sources[i] would go by its name alone.
std::vector<PlannedOutput> PlanOutputs(
    const std::vector<std::filesystem::path>& sources,
    const std::vector<std::filesystem::path>& wished, ExistingOutput policy,
    const std::function<bool(const std::filesystem::path&)>& exists);

// "name (n).ext" beside the path.
std::filesystem::path NumberedPath(const std::filesystem::path& path, int number);

}  // namespace pixtrel
