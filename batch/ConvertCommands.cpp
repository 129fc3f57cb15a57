#include "batch/ConvertCommands.h"

#include "formats/Convert.h"

namespace pixtrel {
namespace {

using Converter = void (*)(const std::filesystem::path&, const std::filesystem::path&, OutputSink&);

BatchCommand ConvertCommand(std::string name, std::string summary, std::string extension,
                            Converter convert) {
  BatchCommand c;
  c.name = std::move(name);
  c.summary = std::move(summary);
  c.prologue = Prologue::RecordShow;
  c.keepsDate = true;
  c.outputName = [extension](const std::string& source, const std::string&) {
    return ConvertedName(source, extension);
  };
  c.run = [extension, convert](const FileTask& task) {
    convert(task.source(), task.resolve(ConvertedName(task.name, extension)), task.out());
  };
  return c;
}

}  // namespace

BatchCommand GifToJpegCommand() {
  return ConvertCommand("gif2jpg", "convert GIF files to JPEG (name + .jpg)", ".jpg",
                        ConvertGifToJpeg);
}

BatchCommand JpegToGifCommand() {
  return ConvertCommand("jpg2gif", "convert JPEG files to GIF (name + .gif)", ".gif",
                        ConvertJpegToGif);
}

BatchCommand BmpToJpegCommand() {
  return ConvertCommand("bmp2jpg", "convert BMP files to JPEG (name + .jpg)", ".jpg",
                        ConvertBmpToJpeg);
}

BatchCommand BmpToGifCommand() {
  return ConvertCommand("bmp2gif", "convert BMP files to GIF (name + .gif)", ".gif",
                        ConvertBmpToGif);
}

BatchCommand JpegToBmpCommand() {
  return ConvertCommand("jpg2bmp", "convert JPEG files to BMP (name + .bmp)", ".bmp",
                        ConvertJpegToBmp);
}

BatchCommand GifToBmpCommand() {
  return ConvertCommand("gif2bmp", "convert GIF files to BMP (name + .bmp)", ".bmp",
                        ConvertGifToBmp);
}

}  // namespace pixtrel
