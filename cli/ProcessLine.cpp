#include "cli/ProcessLine.h"

#include <cstdlib>

#include "batch/Preset.h"
#include "cli/CommandLine.h"
#include "codecs/Registry.h"
#include "core/Errors.h"
#include "core/IntegerText.h"

namespace pixtrel::cli {
namespace {

std::string WritableKeys() {
  std::string keys = "keep";
  for (const FormatRow* listed : Registry()) {
    const FormatRow& row = *listed;
    if (row.writable()) keys += ", " + std::string(row.key);
  }
  return keys;
}

void CheckTarget(const std::string& to) {
  if (to == "keep") return;
  const FormatRow* row = RowForKey(to);
  if (!row || !row->writable())
    throw UsageError("--to takes " + WritableKeys() + ", not '" + to + "'");
}

}  // namespace

std::filesystem::path PresetFolder() {
#ifdef _WIN32
  if (const char* appData = std::getenv("APPDATA")) {
    return std::filesystem::path(appData) / "pixtrel" / "presets";
  }
#endif
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::filesystem::path(config) / "pixtrel" / "presets";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : ".") / ".config" / "pixtrel" / "presets";
}

ProcessLine ParseProcessLine(const std::vector<std::string>& args,
                             const std::filesystem::path& presetFolder) {
  ProcessLine line;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      line.inputs.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      line.help = true;
      continue;
    }
    if (arg == "-0") {
      line.nulSeparated = true;
      continue;
    }
    if (arg == "-q" || arg == "--quiet") {
      line.quiet = true;
      continue;
    }
    if (arg.rfind("-j", 0) == 0 || arg == "--jobs" || arg.rfind("--jobs=", 0) == 0) {
      std::string v;
      if (arg.size() > 6 && arg[6] == '=') {
        v = arg.substr(7);
      } else if (arg.size() > 2 && arg[1] == 'j') {
        v = arg.substr(2);  // -j4
      } else if (i + 1 < args.size()) {
        v = args[++i];
      } else {
        throw UsageError(arg + " needs a value");
      }
      const std::optional<int> n = ParseInteger(v);
      if (!n || *n < 1 || *n > 1024)
        throw UsageError("--jobs takes a number of files from 1 to 1024, not '" + v + "'");
      line.jobs = *n;
      continue;
    }
    if (arg.rfind("--", 0) != 0) throw UsageError("unknown option '" + arg + "'");
    const std::size_t equals = arg.find('=');
    const std::string name =
        arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    std::optional<std::string> inlineValue;
    if (equals != std::string::npos) inlineValue = arg.substr(equals + 1);
    const auto value = [&]() -> std::string {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size()) throw UsageError("--" + name + " needs a value");
      return args[++i];
    };
    try {
      if (name == "yes") {
        line.yes = true;
      } else if (name == "preset") {
        const std::string presetName = value();
        const std::optional<Preset> preset = PresetStore(presetFolder).find(presetName);
        if (!preset) {
          throw UsageError("no preset named '" + presetName +
                           "' (pixtrel-batch presets lists them)");
        }
        for (const auto& [option, setting] : preset->options)
          ApplyOption(line.job, option, setting);
        line.job.preset = presetName;
      } else if (name == "files-from") {
        line.filesFrom = value();
      } else if (name == "shard") {
        line.shard = ParseShard(value());
      } else if (name == "report") {
        line.report = std::filesystem::path(value());
      } else if (IsFlagOption(name)) {
        ApplyOption(line.job, name, inlineValue.value_or(""));
      } else {
        ApplyOption(line.job, name, value());
      }
    } catch (const UsageError&) {
      throw;
    } catch (const Exception& e) {
      throw UsageError(e.what());
    }
  }
  if (line.help) return line;
  CheckTarget(line.job.to);
  if (line.report) {
    const std::string extension = line.report->extension().string();
    if (extension != ".csv" && extension != ".json")
      throw UsageError("--report writes a .csv or a .json file, not '" + line.report->string() +
                       "'");
  }
  if (line.inputs.empty() && !line.filesFrom) throw UsageError("no files or folders given");
  return line;
}

std::string ProcessHelpText() {
  return "Usage: pixtrel-batch process [OPTION]... FILE|FOLDER...\n"
         "Resize, turn and convert pictures in one pass; every file is tried, and a summary\n"
         "ends the run (exit status 1 when any file failed).\n"
         "\n"
         "  --size RULE         none, long:N, short:N, width:N, height:N, fit:WxH, fill:WxH,\n"
         "                      stretch:WxH, pad:WxH or percent:P (default none)\n"
         "  --shrink-only       leave pictures the rule would enlarge at their size\n"
         "  --method M          fast (default), better (the resize tabs' resampler) or normal\n"
         "  --turn T            none, right, left, 180, flip-h or flip-v, after the\n"
         "                      orientation tag (--ignore-orientation: not that)\n"
         "  --to FORMAT         " +
         WritableKeys() +
         " (default keep)\n"
         "  --quality N         lossy formats, 0..100 (default 89)\n"
         "  --lossless          WebP without loss\n"
         "  --progressive       JPEG outputs in several scans, shown coarse to fine\n"
         "  --optimise          JPEG outputs with Huffman tables made for each picture:\n"
         "                      smaller files, the same pixels\n"
         "  --max-size SIZE     the largest output file, e.g. 500k or 2M: the highest\n"
         "                      quality that fits, the picture made smaller when even\n"
         "                      quality 10 does not (JPEG and lossy WebP)\n"
         "  --background #RRGGBB  under transparent parts written without alpha, and around\n"
         "                      pad (default #FFFFFF)\n"
         "  --sharpen S         none (default), light or medium, after making smaller\n"
         "  --out DIR           where outputs go (default beside each source; a relative\n"
         "                      DIR is taken from each source's folder)\n"
         "  --name TEMPLATE     {name} {ext} {w} {h} {W} {H} {n} {n:3} {date} {date:%Y-%m-%d}\n"
         "                      {preset}; \"/\" makes folders (default {name})\n"
         "  --recursive         folders' subfolders too, their structure kept\n"
         "  --existing E        number (default: \"name (2).jpg\"), skip or overwrite\n"
         "  --yes               let an output replace its own source\n"
         "  --metadata keep|strip|strip-gps   (default keep)\n"
         "  --keep-date         give outputs their source's date\n"
         "  -j, --jobs N        files worked on at once (default: one per core); the\n"
         "                      outputs are the same for any number\n"
         "  --preset NAME       a preset's options; options after it override them\n"
         "  --files-from FILE   names to work on, one per line (- for standard input;\n"
         "                      -0: separated by NUL characters)\n"
         "  --shard K/N         only the K-th of N parts of the list\n"
         "  --report FILE       one row per file, as .csv or .json\n"
         "  -q, --quiet         only failures and the summary's last line\n";
}

}  // namespace pixtrel::cli
