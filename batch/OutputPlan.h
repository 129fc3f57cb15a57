#pragma once
// Where each file of a batch goes, decided for the whole list before the first is written: an
// output that exists already is numbered, skipped or replaced as asked; two sources never
// write the same output; and no output replaces a source the batch has still to read.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pixtrel {

enum class ExistingOutput { Number, Skip, Overwrite };

struct PlannedOutput {
  std::filesystem::path path;  // where to write (empty when skipped)
  bool skipped = false;
  std::string reason;           // why it was skipped
  bool replacesSource = false;  // the output is the file's own source (needs the user's yes)
};

// wished[i] is where sources[i] would go by its name alone; exists tells whether a file is
// there now. Numbered names are "name (2).ext", "name (3).ext", ...
std::vector<PlannedOutput> PlanOutputs(
    const std::vector<std::filesystem::path>& sources,
    const std::vector<std::filesystem::path>& wished, ExistingOutput policy,
    const std::function<bool(const std::filesystem::path&)>& exists);

// "name (n).ext" beside the path.
std::filesystem::path NumberedPath(const std::filesystem::path& path, int number);

}  // namespace pixtrel
