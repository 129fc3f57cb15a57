#pragma once
// Presets: named sets of the one-pass command's options, kept as the options themselves
// ("size" = "long:1600", "to" = "jpg", ...), so the command line and the window read them through
// the same option parser and can never disagree on what one means. Built-in presets come with
// the program; the user's are small text files, one "option=value" per line, in a folder of
// the user's configuration.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pixtrel {

struct Preset {
  std::string name;
  std::vector<std::pair<std::string, std::string>> options;  // in the order they apply
  bool builtIn = false;
};

const std::vector<Preset>& BuiltInPresets();

// The file's text: a comment line, then "option=value" lines.
std::string PresetText(const Preset& preset);
// Reads PresetText's form; blank lines and lines starting with "#" are skipped. Throws
// "Preset NAME, line N: ..." for a line without "=".
Preset ParsePreset(const std::string& name, const std::string& text);

// The user's presets in folder, by name. Saving or deleting a built-in one's name is refused
// ("The preset NAME comes with Pixtrel and cannot be changed"); a preset file that cannot be
// read is reported by its name.
class PresetStore {
 public:
  explicit PresetStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Built-in presets first, in their order, then the user's by name.
  std::vector<Preset> list() const;
  std::optional<Preset> find(const std::string& name) const;
  void save(const Preset& preset) const;
  void remove(const std::string& name) const;

  // The file a preset of this name is kept in: the name with "%", "/", "\", control characters
  // and a leading "." written as %XX, then ".preset".
  std::filesystem::path fileOf(const std::string& name) const;

 private:
  std::filesystem::path folder_;
};

}  // namespace pixtrel
