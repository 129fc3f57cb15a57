#pragma once
// A file as the program reaches it and as the user named it. A batch works on absolute paths,
// whatever the process's current directory is, while its messages keep naming files as the user
// gave them: "x.jpg" in the window, "photos/x.jpg" for pixtrel-batch -C photos.
#include <filesystem>
#include <string>
#include <utility>

namespace pixtrel {

struct FilePath {
  std::filesystem::path path;  // what is opened, written and compared
  std::string shown;           // what messages name

  // A file known by its path alone: messages name that path.
  FilePath(std::filesystem::path where) : path(std::move(where)), shown(path.string()) {}
  FilePath(const std::string& where) : FilePath(std::filesystem::path(where)) {}
  FilePath(const char* where) : FilePath(std::filesystem::path(where)) {}
  FilePath(std::filesystem::path where, std::string name)
      : path(std::move(where)), shown(std::move(name)) {}
};

}  // namespace pixtrel
