#pragma once
// Everything the one-pass command does to each file, as one value: read from the command line,
// from a preset or from the window's tab, always through ApplyOption, so the three agree on
// what every option means.
#include <cstdint>
#include <optional>
#include <string>

#include "imaging/SizeRule.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

enum class ProcessMethod { Fast, Better, Normal };
enum class TurnStep { None, Right, Left, Half, FlipH, FlipV };
enum class SharpenStrength { None, Light, Medium };
enum class ExistingChoice { Number, Skip, Overwrite };

struct ProcessJob {
  SizeRule size;
  bool shrinkOnly = false;
  ProcessMethod method = ProcessMethod::Fast;
  TurnStep turn = TurnStep::None;
  bool upright = true;      // the orientation tag applied first
  std::string to = "keep";  // a writable format's key, or keep
  int quality = 89;
  bool lossless = false;
  bool progressive = false;
  bool optimise = false;
  std::uint32_t background = 0xFFFFFF;  // 0xRRGGBB, under transparent parts
  SharpenStrength sharpen = SharpenStrength::None;
  std::string out;              // empty: beside each source; relative: from each source's
  std::string name = "{name}";  // the name template
  bool recursive = false;
  ExistingChoice existing = ExistingChoice::Number;
  MetadataMode metadata = MetadataMode::Keep;
  bool keepDate = false;
  std::optional<std::int64_t> maxBytes;  // the largest output file
  std::string preset;                    // the preset's name, for {preset}
};

// Sets one option by its long name (without "--"): "size" "long:1600", "lossless" "yes", ...
// Flags take yes/no (also true/false, on/off, 1/0; empty means yes). Throws "Unknown option
// NAME" or "--NAME takes ..., not 'VALUE'". "to" is checked against the writable formats by
// the caller, which knows them.
void ApplyOption(ProcessJob& job, const std::string& name, const std::string& value);

// Whether the option is a flag (given alone on the command line).
bool IsFlagOption(const std::string& name);

// "500k", "2M", "1.5M", "800000": bytes (k = 1000, M = 1,000,000; KiB/MiB as 1024-based).
std::int64_t ParseByteSize(const std::string& text);

}  // namespace pixtrel
