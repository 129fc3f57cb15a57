#pragma once
// The files a one-pass batch works on, from what the user named: files, folders (their
// pictures, and with recursive those of every folder below, keeping where each sits), or a
// list read from a file. The output folder is never read as input, so a second run does not
// take the first one's results for sources.
#include <filesystem>
#include <functional>
#include <istream>
#include <string>
#include <vector>

namespace pixtrel {

struct InputFile {
  std::filesystem::path path;      // as found: the name given, or below the folder given
  std::filesystem::path relative;  // below the folder it was found in (a file given: its name)
};

// Files are taken whatever their name; a folder's files only where isPicture(name) says so, in
// byte order of their names, each folder's files before its subfolders'. Symbolic links to
// folders are not followed, nor subfolders for which isOutput(its resolved path) is true.
// Throws "No such file or folder: X" for a name that is not there.
std::vector<InputFile> ListInputs(const std::vector<std::filesystem::path>& given, bool recursive,
                                  const std::function<bool(const std::filesystem::path&)>& isOutput,
                                  const std::function<bool(const std::string&)>& isPicture);

// The resolved path (symbolic links and ".." taken out, as far as it exists).
std::filesystem::path ResolvedPath(const std::filesystem::path& path);

// Names one per line (a final carriage return dropped), or separated by NUL characters; empty
// names are skipped.
std::vector<std::filesystem::path> ReadNameList(std::istream& in, bool nulSeparated);

// "K/N": the K-th of N parts, 1 <= K <= N. Throws "Unknown shard ..." otherwise.
struct Shard {
  int index = 1;
  int count = 1;
};
Shard ParseShard(const std::string& text);
// Whether the item at this place of the whole list belongs to the shard: every N-th, from the
// K-th on, so the parts are alike in size and together are the list, each item once.
inline bool InShard(std::size_t position, const Shard& shard) {
  return position % static_cast<std::size_t>(shard.count) ==
         static_cast<std::size_t>(shard.index - 1);
}

}  // namespace pixtrel
