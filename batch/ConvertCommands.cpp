#include "batch/ConvertCommands.h"

#include <stdexcept>

#include "codecs/Registry.h"
#include "core/Errors.h"
#include "core/FileName.h"
#include "operations/ClassicConversions.h"
#include "operations/ConvertFile.h"

namespace pixtrel {
namespace {

using Converter = void (*)(const FileTask& task, const FilePath& target);

BatchCommand ConvertCommand(std::string name, std::string summary, std::string extension,
                            Converter convert) {
  BatchCommand c;
  c.name = std::move(name);
  c.summary = std::move(summary);
  c.prologue = Prologue::RecordShow;
  c.keepsDate = true;
  c.outputName = [extension](const std::string& source, const std::string&, const BatchOptions&) {
    return ConvertedName(source, extension);
  };
  c.run = [extension, convert](const FileTask& task) {
    convert(task, task.resolve(ConvertedName(task.name, extension)));
  };
  return c;
}

ConvertSettings SettingsOf(const BatchOptions& options, int quality) {
  ConvertSettings settings;
  settings.quality = quality;
  settings.upright = options.upright;
  settings.metadata = options.metadata;
  return settings;
}

// A JPEG's picture goes through the conversion of every format, which turns it upright and
// brings its colours to sRGB; for an upright sRGB photo that is the plain routine's result.
void JpegTo(const FileTask& task, const FilePath& target, std::string_view targetKey) {
  ConvertFile(task.source(), *RowForKey("jpg"), target, *RowForKey(targetKey),
              SettingsOf(task.options, 90), task.out());
}

// "name + .jpg, .png, .webp, .gif or .bmp": what convert appends, for every writable format.
std::string TargetExtensions() {
  const std::vector<const FormatRow*> rows = WritableRows();
  std::string text;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) text += i + 1 == rows.size() ? " or " : ", ";
    text += rows[i]->extensions.front();
  }
  return text;
}

}  // namespace

BatchCommand GifToJpegCommand() {
  return ConvertCommand("gif2jpg", "convert GIF files to JPEG (name + .jpg)", ".jpg",
                        [](const FileTask& task, const FilePath& target) {
                          ConvertGifToJpeg(task.source(), target, task.out());
                        });
}

BatchCommand JpegToGifCommand() {
  return ConvertCommand(
      "jpg2gif", "convert JPEG files to GIF (name + .gif)", ".gif",
      [](const FileTask& task, const FilePath& target) { JpegTo(task, target, "gif"); });
}

BatchCommand BmpToJpegCommand() {
  return ConvertCommand("bmp2jpg", "convert BMP files to JPEG (name + .jpg)", ".jpg",
                        [](const FileTask& task, const FilePath& target) {
                          ConvertBmpToJpeg(task.source(), target, task.out());
                        });
}

BatchCommand BmpToGifCommand() {
  return ConvertCommand("bmp2gif", "convert BMP files to GIF (name + .gif)", ".gif",
                        [](const FileTask& task, const FilePath& target) {
                          ConvertBmpToGif(task.source(), target, task.out());
                        });
}

BatchCommand JpegToBmpCommand() {
  return ConvertCommand(
      "jpg2bmp", "convert JPEG files to BMP (name + .bmp)", ".bmp",
      [](const FileTask& task, const FilePath& target) { JpegTo(task, target, "bmp"); });
}

BatchCommand GifToBmpCommand() {
  return ConvertCommand("gif2bmp", "convert GIF files to BMP (name + .bmp)", ".bmp",
                        [](const FileTask& task, const FilePath& target) {
                          ConvertGifToBmp(task.source(), target, task.out());
                        });
}

BatchCommand ConvertToCommand() {
  BatchCommand c;
  c.name = "convert";
  c.summary = "convert pictures of any format to --to (name + " + TargetExtensions() + ")";
  c.prologue = Prologue::RecordShow;
  c.keepsDate = true;
  c.outputName = [](const std::string& source, const std::string&, const BatchOptions& options) {
    return ConvertedName(source, std::string(options.convertTarget->extensions.front()));
  };
  c.run = [](const FileTask& task) {
    const FormatRow* format = RowForFileName(task.name);
    if (!format) {
      throw Exception("Cannot convert " + task.name + ": unknown picture file extension (" +
                      std::string(ExtensionOf(task.name)) + ")");
    }
    const FormatRow& target = *task.options.convertTarget;
    const std::string output = ConvertedName(task.name, std::string(target.extensions.front()));
    ConvertSettings settings = SettingsOf(task.options, task.options.saveQuality);
    settings.ownGifPalette = true;
    settings.dither = task.options.dither;
    ConvertFile(task.source(), *format, task.resolve(output), target, settings, task.out());
  };
  return c;
}

}  // namespace pixtrel
