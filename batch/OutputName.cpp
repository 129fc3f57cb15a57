#include "batch/OutputName.h"

#include <ctime>

#include "codecs/Registry.h"
#include "io/FileStamp.h"
#include "operations/ProcessFile.h"

namespace pixtrel {
namespace {

namespace fs = std::filesystem;

DateTime FileDate(const fs::path& source) {
  DateTime date;
  std::tm local{};
  if (UnpackFileStamp(ReadFileStamp(source), local)) {
    date = DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
  }
  return date;
}

}  // namespace

fs::path OutputFolder(const ProcessJob& job, const InputFile& input) {
  const fs::path besides = input.path.parent_path();
  if (job.out.empty()) return besides;
  const fs::path out(job.out);
  if (out.is_absolute()) return out / input.relative.parent_path();
  return besides / out;
}

NameValues NameValuesFor(const ProcessJob& job, const ListedInput& listed, const NamedSizes& sizes,
                         const std::optional<CaptureDate>& captured) {
  const InputFile& input = listed.file;
  NameValues values;
  values.name = input.path.stem().string();
  values.extension = input.path.extension().string();
  if (!values.extension.empty()) values.extension.erase(0, 1);
  values.width = sizes.width;
  values.height = sizes.height;
  values.sourceWidth = sizes.sourceWidth;
  values.sourceHeight = sizes.sourceHeight;
  values.position = static_cast<int>(listed.position + 1);
  values.preset = job.preset;
  if (captured) {
    const CaptureDate& c = *captured;
    values.date = DateTime{c.year, c.month, c.day, c.hour, c.minute, c.second};
  } else {
    values.date = FileDate(input.path);
  }
  return values;
}

ExistingOutput ExistingPolicy(const ProcessJob& job) {
  switch (job.existing) {
    case ExistingChoice::Skip:
      return ExistingOutput::Skip;
    case ExistingChoice::Overwrite:
      return ExistingOutput::Overwrite;
    case ExistingChoice::Number:
      break;
  }
  return ExistingOutput::Number;
}

bool PathTaken(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

fs::path WishedOutput(const ProcessJob& job, const NameTemplate& names, const ListedInput& listed,
                      const NameValues& values) {
  const std::string extension(
      RowForKey(OutputFormatKey(job, listed.file.path))->extensions.front());
  return OutputFolder(job, listed.file) / (names.expand(values) + extension);
}

}  // namespace pixtrel
