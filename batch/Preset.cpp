#include "batch/Preset.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "core/Errors.h"
#include "io/FileBytes.h"
#include "io/SafeWrite.h"

namespace pixtrel {
namespace {

namespace fs = std::filesystem;
constexpr std::string_view kExtension = ".preset";

bool IsBuiltIn(const std::string& name) {
  const auto& all = BuiltInPresets();
  return std::any_of(all.begin(), all.end(), [&](const Preset& p) { return p.name == name; });
}

void RefuseBuiltIn(const std::string& name) {
  if (IsBuiltIn(name))
    throw Exception("The preset " + name + " comes with Pixtrel and cannot be changed");
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The preset's name from its file's name (without the extension): %XX back to its character.
std::string NameOfFile(const std::string& file) {
  std::string name;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '%' && i + 2 < file.size() && HexDigit(file[i + 1]) >= 0 &&
        HexDigit(file[i + 2]) >= 0) {
      name += static_cast<char>(HexDigit(file[i + 1]) * 16 + HexDigit(file[i + 2]));
      i += 2;
    } else {
      name += file[i];
    }
  }
  return name;
}

}  // namespace

const std::vector<Preset>& BuiltInPresets() {
  static const std::vector<Preset> presets{
      {"Email",
       {{"size", "long:1600"}, {"to", "jpg"}, {"quality", "85"}, {"metadata", "strip-gps"}},
       true},
      {"Web", {{"size", "long:2048"}, {"to", "webp"}, {"quality", "80"}}, true},
      {"Phone photos to JPEG",
       {{"size", "none"}, {"to", "jpg"}, {"quality", "90"}, {"metadata", "keep"}},
       true},
      {"Thumbnails", {{"size", "fit:300x300"}, {"to", "jpg"}, {"quality", "80"}}, true},
  };
  return presets;
}

std::string PresetText(const Preset& preset) {
  std::string text = "# Pixtrel preset \"" + preset.name + "\": one option=value per line\n";
  for (const auto& [option, value] : preset.options)
    text += option + "=" + value + "\n";
  return text;
}

Preset ParsePreset(const std::string& name, const std::string& text) {
  Preset preset{name, {}, false};
  std::size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string content = text.substr(start, end - start);
    start = end + 1;
    if (!content.empty() && content.back() == '\r') content.pop_back();
    if (content.empty() || content.front() == '#') continue;
    const std::size_t equals = content.find('=');
    if (equals == std::string::npos || equals == 0) {
      throw Exception("Preset " + name + ", line " + std::to_string(line) +
                      ": expected option=value");
    }
    preset.options.emplace_back(content.substr(0, equals), content.substr(equals + 1));
  }
  return preset;
}

fs::path PresetStore::fileOf(const std::string& name) const {
  std::string file;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7f || c == '%' || c == '/' || c == '\\' || c == ':' ||
        (i == 0 && c == '.')) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      file += escaped;
    } else {
      file += static_cast<char>(c);
    }
  }
  return folder_ / (file + std::string(kExtension));
}

std::vector<Preset> PresetStore::list() const {
  std::vector<Preset> presets = BuiltInPresets();
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const std::string file = it->path().filename().string();
    if (file.size() > kExtension.size() &&
        file.compare(file.size() - kExtension.size(), kExtension.size(), kExtension) == 0) {
      const std::string name = NameOfFile(file.substr(0, file.size() - kExtension.size()));
      if (!IsBuiltIn(name)) names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (std::optional<Preset> preset = find(name)) presets.push_back(std::move(*preset));
  }
  return presets;
}

std::optional<Preset> PresetStore::find(const std::string& name) const {
  for (const Preset& preset : BuiltInPresets()) {
    if (preset.name == name) return preset;
  }
  const fs::path file = fileOf(name);
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return std::nullopt;
  const Bytes bytes = ReadFileBytes(file);
  return ParsePreset(name, std::string(bytes.begin(), bytes.end()));
}

void PresetStore::save(const Preset& preset) const {
  RefuseBuiltIn(preset.name);
  if (preset.name.empty()) throw Exception("A preset needs a name");
  for (const auto& [option, value] : preset.options) {
    if (option.empty() || option.find_first_of("=\n\r") != std::string::npos ||
        value.find_first_of("\n\r") != std::string::npos) {
      throw Exception("Preset " + preset.name + ": the option \"" + option +
                      "\" cannot be kept in a preset");
    }
  }
  std::error_code error;
  fs::create_directories(folder_, error);
  if (error) {
    throw Exception("Cannot create folder " + folder_.string() + ": " + error.message());
  }
  const std::string text = PresetText(preset);
  WriteFileAtomically(fileOf(preset.name),
                      {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

void PresetStore::remove(const std::string& name) const {
  RefuseBuiltIn(name);
  std::error_code error;
  if (!fs::remove(fileOf(name), error) && error) {
    throw Exception("Cannot delete preset " + name + ": " + error.message());
  }
}

}  // namespace pixtrel
