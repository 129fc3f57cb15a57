#include "batch/JpegCommands.h"

#include "formats/JpegImage.h"

namespace pixtrel {

BatchCommand QualityCommand() {
  BatchCommand c;
  c.name = "quality";
  c.summary = "re-save JPEG files at --quality (prefix q-)";
  c.prologue = Prologue::RecordSettleShow;
  c.prefixWord = [](BatchHost&) { return std::string("q-"); };
  c.outputName = [](const std::string& name, const std::string& prefix) { return prefix + name; };
  c.run = [](const FileTask& task) {
    TJPEGImage picture = ReadJpegFile(task.source());
    DecodeJpeg(picture);
    picture.Quality = task.options.qualityCommandValue;
    EncodeJpeg(picture);
    WriteJpegFile(picture, task.prefixedOutput(), task.out());
  };
  return c;
}

BatchCommand GreyscaleCommand() {
  BatchCommand c;
  c.name = "greyscale";
  c.summary = "make JPEG files grey at --jpeg-quality (always bw- + name)";
  c.prologue = Prologue::RecordShow;
  c.keepsDate = false;
  c.outputName = [](const std::string& name, const std::string&) { return "bw-" + name; };
  c.run = [](const FileTask& task) {
    TJPEGImage picture = ReadJpegFile(task.source());
    picture.SetGreyscale(true);
    DecodeJpeg(picture);
    picture.Quality = task.options.saveQuality;
    EncodeJpeg(picture);
    WriteJpegFile(picture, task.resolve("bw-" + task.name), task.out());
  };
  return c;
}

}  // namespace pixtrel
