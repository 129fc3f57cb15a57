#include "batch/JpegCommands.h"

#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "imaging/Orientation.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/JpegOutput.h"

namespace pixtrel {
namespace {

// Reads the JPEG and decodes it as the command asks, turned upright when its orientation says
// so; the source's metadata comes back in `metadata`.
TJPEGImage ReadSeen(const FileTask& task, bool greyscale, PictureMetadata& metadata) {
  Bytes bytes = ReadFileBytes(task.source());
  metadata = ReadJpegMetadata(bytes);
  TJPEGImage picture = JpegFromBytes(std::move(bytes));
  picture.SetGreyscale(greyscale);
  DecodeJpeg(picture);
  const Orientation seen =
      task.options.upright ? Orientation::FromExif(ExifOrientation(metadata.exif)) : Orientation{};
  if (!seen.upright()) SetJpegRaster(picture, TurnRaster(TakeJpegRaster(picture), seen));
  return picture;
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
    PictureMetadata metadata;
    TJPEGImage picture = ReadSeen(task, false, metadata);
    picture.Quality = task.options.qualityCommandValue;
    WriteJpegWithMetadata(picture, metadata, task.options.metadata, task.options.upright,
                          task.prefixedOutput(), task.out());
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
    PictureMetadata metadata;
    TJPEGImage picture = ReadSeen(task, true, metadata);
    picture.Quality = task.options.saveQuality;
    WriteJpegWithMetadata(picture, metadata, task.options.metadata, task.options.upright,
                          task.resolve("bw-" + task.name), task.out());
  };
  return c;
}

}  // namespace pixtrel
