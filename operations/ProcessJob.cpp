#include "operations/ProcessJob.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

#include "core/Errors.h"

namespace pixtrel {
namespace {

[[noreturn]] void Refuse(const std::string& name, const std::string& takes,
                         const std::string& value) {
  throw Exception("--" + name + " takes " + takes + ", not '" + value + "'");
}

bool Flag(const std::string& name, const std::string& value) {
  if (value.empty() || value == "yes" || value == "true" || value == "on" || value == "1")
    return true;
  if (value == "no" || value == "false" || value == "off" || value == "0") return false;
  Refuse(name, "yes or no", value);
}

int Whole(const std::string& name, const std::string& value, int least, int most) {
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
      number < least || number > most) {
    Refuse(name, "a whole number from " + std::to_string(least) + " to " + std::to_string(most),
           value);
  }
  return number;
}

template <typename T, std::size_t N>
T Choice(const std::string& name, const std::string& value,
         const std::pair<const char*, T> (&choices)[N]) {
  for (const auto& [word, choice] : choices) {
    if (value == word) return choice;
  }
  std::string takes;
  for (std::size_t i = 0; i < N; ++i) {
    takes += (i == 0 ? "" : i + 1 == N ? " or " : ", ");
    takes += choices[i].first;
  }
  Refuse(name, takes, value);
}

std::uint32_t Colour(const std::string& value) {
  const std::string digits = !value.empty() && value[0] == '#' ? value.substr(1) : value;
  std::uint32_t colour = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), colour, 16);
  if (digits.size() != 6 || error != std::errc() || end != digits.data() + digits.size())
    Refuse("background", "a colour as #RRGGBB", value);
  return colour;
}

}  // namespace

bool IsFlagOption(const std::string& name) {
  return name == "shrink-only" || name == "ignore-orientation" || name == "lossless" ||
         name == "progressive" || name == "optimise" || name == "recursive" || name == "keep-date";
}

std::int64_t ParseByteSize(const std::string& text) {
  const auto bad = [&] {
    return Exception("--max-size takes a size such as 500k or 2M, not '" + text + "'");
  };
  std::size_t digits = 0;
  while (digits < text.size() &&
         (std::isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.'))
    ++digits;
  if (digits == 0) throw bad();
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + digits, number);
  if (error != std::errc() || end != text.data() + digits) throw bad();
  std::string unit = text.substr(digits);
  std::transform(unit.begin(), unit.end(), unit.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  double scale = 0;
  if (unit.empty() || unit == "b")
    scale = 1;
  else if (unit == "k" || unit == "kb")
    scale = 1e3;
  else if (unit == "m" || unit == "mb")
    scale = 1e6;
  else if (unit == "kib")
    scale = 1024;
  else if (unit == "mib")
    scale = 1024.0 * 1024;
  else
    throw bad();
  const double bytes = std::floor(number * scale);
  if (!(bytes >= 1) || bytes > 1e12) throw bad();
  return static_cast<std::int64_t>(bytes);
}

void ApplyOption(ProcessJob& job, const std::string& name, const std::string& value) {
  if (name == "size") {
    try {
      job.size = ParseSizeRule(value);
    } catch (const Exception& e) {
      throw Exception("--size: " + std::string(e.what()));
    }
  } else if (name == "shrink-only") {
    job.shrinkOnly = Flag(name, value);
  } else if (name == "method") {
    static constexpr std::pair<const char*, ProcessMethod> kMethods[] = {
        {"fast", ProcessMethod::Fast},
        {"better", ProcessMethod::Better},
        {"normal", ProcessMethod::Normal}};
    job.method = Choice(name, value, kMethods);
  } else if (name == "turn") {
    static constexpr std::pair<const char*, TurnStep> kTurns[] = {
        {"none", TurnStep::None}, {"right", TurnStep::Right},  {"left", TurnStep::Left},
        {"180", TurnStep::Half},  {"flip-h", TurnStep::FlipH}, {"flip-v", TurnStep::FlipV}};
    job.turn = Choice(name, value, kTurns);
  } else if (name == "ignore-orientation") {
    job.upright = !Flag(name, value);
  } else if (name == "to") {
    if (value.empty()) Refuse(name, "a format", value);
    job.to = value;
    std::transform(job.to.begin(), job.to.end(), job.to.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  } else if (name == "quality") {
    job.quality = Whole(name, value, 0, 100);
  } else if (name == "lossless") {
    job.lossless = Flag(name, value);
  } else if (name == "progressive") {
    job.progressive = Flag(name, value);
  } else if (name == "optimise") {
    job.optimise = Flag(name, value);
  } else if (name == "background") {
    job.background = Colour(value);
  } else if (name == "sharpen") {
    static constexpr std::pair<const char*, SharpenStrength> kSharpen[] = {
        {"none", SharpenStrength::None},
        {"light", SharpenStrength::Light},
        {"medium", SharpenStrength::Medium}};
    job.sharpen = Choice(name, value, kSharpen);
  } else if (name == "out") {
    job.out = value;
  } else if (name == "name") {
    if (value.empty()) Refuse(name, "a name template such as {name}-web", value);
    job.name = value;
  } else if (name == "recursive") {
    job.recursive = Flag(name, value);
  } else if (name == "existing") {
    static constexpr std::pair<const char*, ExistingChoice> kExisting[] = {
        {"number", ExistingChoice::Number},
        {"skip", ExistingChoice::Skip},
        {"overwrite", ExistingChoice::Overwrite}};
    job.existing = Choice(name, value, kExisting);
  } else if (name == "metadata") {
    static constexpr std::pair<const char*, MetadataMode> kMetadata[] = {
        {"keep", MetadataMode::Keep},
        {"strip", MetadataMode::Strip},
        {"strip-gps", MetadataMode::StripGps}};
    job.metadata = Choice(name, value, kMetadata);
  } else if (name == "keep-date") {
    job.keepDate = Flag(name, value);
  } else if (name == "max-size") {
    if (value == "none") {
      job.maxBytes.reset();
    } else {
      job.maxBytes = ParseByteSize(value);
    }
  } else {
    throw Exception("Unknown option --" + name);
  }
}

}  // namespace pixtrel
