#include "cli/CommandLine.h"

#include <optional>

#include "batch/BatchCommand.h"
#include "codecs/Registry.h"
#include "core/IntegerText.h"

namespace fs = std::filesystem;

namespace pixtrel::cli {
namespace {

int ParsePercent(const std::string& option, const std::string& text) {
  const std::optional<int> value = ParseInteger(text);
  if (!value || *value < 0 || *value > 100) {
    throw UsageError(option + " takes a number from 0 to 100, not '" + text + "'");
  }
  return *value;
}

// Splits the FILEs into the working folder and bare names.
void SettleFolder(CommandLine& line, const std::optional<fs::path>& folderOption,
                  const std::vector<std::string>& files) {
  if (folderOption) {
    line.folder = *folderOption;
    for (const std::string& f : files) {
      if (fs::path(f).has_parent_path()) {
        throw UsageError("with -C, FILE names are bare names in the folder: '" + f + "'");
      }
      line.names.push_back(f);
    }
    return;
  }
  std::optional<fs::path> shared;
  for (const std::string& f : files) {
    const fs::path p(f);
    if (!p.has_filename()) throw UsageError("not a file name: '" + f + "'");
    fs::path parent = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    if (shared && parent.lexically_normal() != shared->lexically_normal()) {
      throw UsageError("the FILEs are in different folders; give -C DIR and bare names");
    }
    shared = parent;
    line.names.push_back(p.filename().string());
  }
  line.folder = shared.value_or(fs::path("."));
}

// The --to words, "jpg, png, webp, gif or bmp": every format written, in registry order.
std::string WritableKeys() {
  const std::vector<const FormatRow*> rows = WritableRows();
  std::string text;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) text += i + 1 == rows.size() ? " or " : ", ";
    text += rows[i]->key;
  }
  return text;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  std::optional<fs::path> folderOption;
  std::vector<std::string> files;
  bool optionsEnded = false;

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      if (line.command.empty()) {
        line.command = arg;
      } else {
        files.push_back(arg);
      }
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0) {
      const auto eq = arg.find('=');
      if (eq != std::string::npos) {
        inlineValue = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
      }
    } else if (arg.size() > 2 && arg[1] == 'C') {
      inlineValue = arg.substr(2);
      arg = "-C";
    }
    auto value = [&]() -> std::string {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
      return args[++i];
    };
    auto noValue = [&] {
      if (inlineValue) throw UsageError("option " + arg + " takes no value");
    };

    if (arg == "-h" || arg == "--help") {
      noValue();
      line.help = true;
    } else if (arg == "--version") {
      noValue();
      line.version = true;
    } else if (arg == "--list-formats") {
      noValue();
      line.listFormats = true;
    } else if (arg == "-q" || arg == "--quiet") {
      noValue();
      line.quiet = true;
    } else if (arg == "--yes") {
      noValue();
      line.yes = true;
    } else if (arg == "-k" || arg == "--keep-going") {
      noValue();
      line.keepGoing = true;
    } else if (arg == "--keep-date") {
      noValue();
      line.keepDate = true;
    } else if (arg == "-C" || arg == "--folder") {
      folderOption = fs::path(value());
    } else if (arg == "--save") {
      const std::string v = value();
      if (v == "prefix") {
        line.saveMode = SaveMode::AddPrefix;
      } else if (v == "subfolder") {
        line.saveMode = SaveMode::Subfolder;
      } else if (v == "overwrite") {
        line.saveMode = SaveMode::Overwrite;
      } else {
        throw UsageError("--save takes prefix, subfolder or overwrite, not '" + v + "'");
      }
    } else if (arg == "--pixels") {
      line.pixels = value();
    } else if (arg == "--method") {
      const std::string v = value();
      if (v == "normal") {
        line.method = ResizeMethod::Normal;
      } else if (v == "better") {
        line.method = ResizeMethod::Better;
      } else {
        throw UsageError("--method takes normal or better, not '" + v + "'");
      }
    } else if (arg == "--jpeg-quality") {
      line.jpegQuality = ParsePercent(arg, value());
    } else if (arg == "--quality") {
      line.quality = ParsePercent(arg, value());
    } else if (arg == "--jobs" || arg == "-j") {
      const std::string v = value();
      const std::optional<int> n = ParseInteger(v);
      if (!n || *n < 1 || *n > 1024) {
        throw UsageError("--jobs takes a number of files from 1 to 1024, not '" + v + "'");
      }
      line.jobs = *n;
    } else if (arg == "--to") {
      const std::string v = value();
      const FormatRow* row = RowForKey(v);
      if (!row || !row->writable()) {
        throw UsageError("--to takes " + WritableKeys() + ", not '" + v + "'");
      }
      line.convertTo = row;
    } else if (arg == "--dither") {
      noValue();
      line.dither = true;
    } else if (arg == "--lossless") {
      if (!inlineValue) {
        line.losslessTurn = LosslessTurn::Whole;
      } else if (*inlineValue == "trim") {
        line.losslessTurn = LosslessTurn::Trim;
      } else {
        throw UsageError("--lossless takes no value or =trim, not '" + *inlineValue + "'");
      }
    } else if (arg == "--shrink-only") {
      noValue();
      line.shrinkOnly = true;
    } else if (arg == "--ignore-orientation") {
      noValue();
      line.upright = false;
    } else if (arg == "--metadata") {
      const std::string v = value();
      if (v == "keep") {
        line.metadata = MetadataMode::Keep;
      } else if (v == "strip") {
        line.metadata = MetadataMode::Strip;
      } else if (v == "strip-gps") {
        line.metadata = MetadataMode::StripGps;
      } else {
        throw UsageError("--metadata takes keep, strip or strip-gps, not '" + v + "'");
      }
    } else if (arg == "--turn") {
      const std::string v = value();
      if (v == "right") {
        line.turn = TurnChoice::Right;
      } else if (v == "left") {
        line.turn = TurnChoice::Left;
      } else if (v == "180") {
        line.turn = TurnChoice::UpsideDown;
      } else {
        throw UsageError("--turn takes right, left or 180, not '" + v + "'");
      }
    } else {
      throw UsageError("unknown option " + arg);
    }
  }

  if (line.help || line.version || line.listFormats) return line;
  if (line.command.empty()) throw UsageError("no command given");
  if (!FindCommand(line.command)) throw UsageError("unknown command '" + line.command + "'");
  if (line.command == "convert" && !line.convertTo) {
    throw UsageError("convert needs --to " + WritableKeys());
  }
  if (line.command != "convert" && line.convertTo) {
    throw UsageError("--to is for the convert command only");
  }
  if (line.command != "convert" && line.dither) {
    throw UsageError("--dither is for the convert command only");
  }
  if (line.command != "rotate" && line.losslessTurn != LosslessTurn::Off) {
    throw UsageError("--lossless is for the rotate command only");
  }
  SettleFolder(line, folderOption, files);
  return line;
}

std::string HelpText() {
  std::string to;
  for (const FormatRow* row : WritableRows()) {
    if (!to.empty()) to += '|';
    to += row->key;
  }
  std::string commands;
  for (const BatchCommand& c : AllCommands()) {
    commands += "  " + c.name + std::string(c.name.size() < 12 ? 12 - c.name.size() : 1, ' ') +
                c.summary + "\n";
  }
  return "Usage: pixtrel-batch COMMAND [OPTION]... [FILE]...\n"
         "Runs one of Pixtrel's batch commands on picture files, as the window does.\n"
         "\n"
         "Commands:\n" +
         commands +
         "  process     resize, turn and convert in one pass, with names, folders and presets\n"
         "              (pixtrel-batch process --help)\n"
         "  presets     list the presets process --preset takes\n"
         "\n"
         "Options:\n"
         "  -C, --folder DIR        working folder; FILE names are bare names in it. Without -C:\n"
         "                          the folder the FILEs share (FILEs in different folders: usage\n"
         "                          error), else \".\"\n"
         "  --save prefix|subfolder|overwrite   how to save files (default prefix)\n"
         "  --yes                   answer OK to the overwrite question; otherwise it is asked on\n"
         "                          the terminal, and with no terminal it counts as declined\n"
         "  --keep-date             preserve image file date and time\n"
         "  --pixels TEXT           the Pixels: field, as typed, converted per file (default "
         "\"800\")\n"
         "  --method normal|better  resize method (default better)\n"
         "  --jpeg-quality N        the Options tab's JPEG save quality, 0..100 (default 89)\n"
         "  --quality N             the JPEG quality tab's slider, 0..100 (default 85)\n"
         "  --turn right|left|180   rotation choice (default right)\n"
         "  --to " +
         to +
         "   the convert command's output format; JPEG and lossy WebP\n"
         "                          at --jpeg-quality, WebP lossless from lossless sources, GIF\n"
         "                          with a colour table made for each picture; an animated GIF or\n"
         "                          WebP to gif or webp keeps every frame\n"
         "  --dither                convert to GIF: Floyd-Steinberg dithering over that table\n"
         "  --lossless[=trim]       rotate: turn JPEG files on their compressed data, without\n"
         "                          loss; a picture that is not whole blocks (8 or 16 pixels) is\n"
         "                          refused, or with =trim loses its partial edge blocks\n"
         "  --shrink-only           resize: a picture whose longer side is already --pixels or\n"
         "                          less is copied unchanged, not enlarged\n"
         "  --ignore-orientation    leave photos as stored instead of turning them upright by\n"
         "                          their orientation tag\n"
         "  --metadata keep|strip|strip-gps   EXIF, XMP and colour profile of JPEG, PNG and WebP\n"
         "                          outputs: kept (default), none, or kept without GPS and\n"
         "                          location\n"
         "  -j, --jobs N            files worked on at once (default: one per core); 1 works\n"
         "                          strictly one file after the other. Files are written in order\n"
         "  -k, --keep-going        a file that fails is reported and left out, and the others\n"
         "                          are done (default: stop at the first failing file)\n"
         "  -q, --quiet             no progress display (on a terminal a progress bar shows file "
         "n\n"
         "                          of m)\n"
         "  --list-formats          every format Pixtrel reads, one a line, tab-separated: key,\n"
         "                          read or read,write, extensions, MIME types, title, name\n"
         "  -h, --help | --version\n"
         "\n"
         "Exit status: 0 done; 1 stopped at a failing file (with --keep-going: a file failed);\n"
         "2 bad usage; 3 overwrite declined.\n";
}

}  // namespace pixtrel::cli
