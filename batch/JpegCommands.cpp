#include "batch/JpegCommands.h"

#include "operations/JpegReencode.h"

namespace pixtrel {
namespace {

JpegReencodeSettings SettingsFor(const FileTask& task, int quality, bool greyscale) {
  JpegReencodeSettings settings;
  settings.quality = quality;
  settings.greyscale = greyscale;
  settings.upright = task.options.upright;
  settings.metadata = task.options.metadata;
  return settings;
}

}  // namespace

BatchCommand QualityCommand() {
  BatchCommand c;
  c.name = "quality";
  c.summary = "re-save JPEG files at --quality (prefix q-)";
  c.prologue = Prologue::RecordSettleShow;
  c.prefixWord = [](const BatchOptions&) { return std::string("q-"); };
  c.outputName = [](const std::string& name, const std::string& prefix, const BatchOptions&) {
    return prefix + name;
  };
  c.run = [](const FileTask& task) {
    ReencodeJpegFile(task.source(), task.prefixedOutput(),
                     SettingsFor(task, task.options.qualityCommandValue, false), task.out());
  };
  return c;
}

BatchCommand GreyscaleCommand() {
  BatchCommand c;
  c.name = "greyscale";
  c.summary = "make JPEG files grey at --jpeg-quality (always bw- + name)";
  c.prologue = Prologue::RecordShow;
  c.keepsDate = false;
  c.outputName = [](const std::string& name, const std::string&, const BatchOptions&) {
    return "bw-" + name;
  };
  c.run = [](const FileTask& task) {
    ReencodeJpegFile(task.source(), task.resolve("bw-" + task.name),
                     SettingsFor(task, task.options.saveQuality, true), task.out());
  };
  return c;
}

}  // namespace pixtrel
