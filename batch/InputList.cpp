#include "batch/InputList.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "core/Errors.h"

namespace pixtrel {
namespace {

namespace fs = std::filesystem;

bool IsDirectory(const fs::path& path, bool followLinks) {
  std::error_code error;
  return followLinks ? fs::is_directory(path, error)
                     : fs::is_directory(fs::symlink_status(path, error));
}

void AddFolder(const fs::path& folder, const fs::path& below, bool recursive,
               const std::function<bool(const fs::path&)>& isOutput,
               const std::function<bool(const std::string&)>& isPicture,
               std::vector<InputFile>& out) {
  std::vector<fs::path> files, folders;
  std::error_code error;
  for (fs::directory_iterator it(folder / below, error), end; !error && it != end;
       it.increment(error)) {
    const fs::path name = it->path().filename();
    if (IsDirectory(it->path(), false)) {
      if (recursive) folders.push_back(name);
    } else if (isPicture(name.string())) {
      files.push_back(name);
    }
  }
  // A folder left half read would pass for one without pictures.
  if (error) {
    throw Exception("Cannot read folder " + (folder / below).string() + ": " + error.message());
  }
  std::sort(files.begin(), files.end());
  std::sort(folders.begin(), folders.end());
  for (const fs::path& name : files)
    out.push_back({folder / below / name, below / name});
  for (const fs::path& name : folders) {
    if (isOutput && isOutput(ResolvedPath(folder / below / name))) continue;
    AddFolder(folder, below / name, recursive, isOutput, isPicture, out);
  }
}

}  // namespace

fs::path ResolvedPath(const fs::path& path) {
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path.lexically_normal() : resolved;
}

std::vector<InputFile> ListInputs(const std::vector<fs::path>& given, bool recursive,
                                  const std::function<bool(const fs::path&)>& isOutput,
                                  const std::function<bool(const std::string&)>& isPicture) {
  std::vector<InputFile> out;
  for (const fs::path& path : given) {
    std::error_code error;
    if (!fs::exists(path, error)) throw Exception("No such file or folder: " + path.string());
    if (IsDirectory(path, true)) {
      AddFolder(path, fs::path(), recursive, isOutput, isPicture, out);
    } else {
      out.push_back({path, path.filename()});
    }
  }
  return out;
}

std::vector<fs::path> ReadNameList(std::istream& in, bool nulSeparated) {
  std::vector<fs::path> names;
  std::string name;
  while (std::getline(in, name, nulSeparated ? '\0' : '\n')) {
    if (!nulSeparated && !name.empty() && name.back() == '\r') name.pop_back();
    if (!name.empty()) names.emplace_back(name);
  }
  return names;
}

Shard ParseShard(const std::string& text) {
  const auto bad = [&] {
    return Exception("Unknown shard \"" + text + "\": expected K/N with 1 <= K <= N");
  };
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) throw bad();
  Shard shard;
  const char* begin = text.data();
  const char* middle = begin + slash;
  const char* end = begin + text.size();
  const auto first = std::from_chars(begin, middle, shard.index);
  const auto second = std::from_chars(middle + 1, end, shard.count);
  if (first.ec != std::errc() || first.ptr != middle || second.ec != std::errc() ||
      second.ptr != end || shard.count < 1 || shard.index < 1 || shard.index > shard.count) {
    throw bad();
  }
  return shard;
}

}  // namespace pixtrel
