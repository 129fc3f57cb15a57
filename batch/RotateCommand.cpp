#include "batch/RotateCommand.h"

#include "formats/Bmp.h"
#include "formats/Errors.h"
#include "formats/GifCodec.h"
#include "formats/JpegImage.h"
#include "imaging/PaletteCoverage.h"
#include "imaging/Rotate90.h"
#include "imaging/RotatePalette.h"

namespace pixtrel {
namespace {

// The picture as one raster; the picture object is gone once the raster holds it.
Raster ReadAsRaster(const std::filesystem::path& source, ImageFormat kind) {
  switch (kind) {
    case ImageFormat::Jpeg: {
      TJPEGImage picture = ReadJpegFile(source);
      return TakeJpegRaster(picture);
    }
    case ImageFormat::Gif:
      return GifFrameRaster(ReadGifFile(source));
    case ImageFormat::Bmp:
      break;
  }
  return ReadBmpFile(source);
}

void WriteRaster(Bitmap24 raster, const std::filesystem::path& output, ImageFormat kind,
                 int jpegQuality, OutputSink& sink) {
  switch (kind) {
    case ImageFormat::Jpeg: {
      TJPEGImage picture;  // new: baseline, colour
      SetJpegRaster(picture, std::move(raster));
      picture.Quality = jpegQuality;
      WriteJpegFile(picture, output, sink);
      return;
    }
    case ImageFormat::Gif: {
      TGIFImage picture;
      SetGifRaster(picture, std::move(raster));
      WriteGifFile(picture, output, sink);
      return;
    }
    case ImageFormat::Bmp:
      WriteBmpFile(raster, output, sink);
      return;
  }
}

}  // namespace

int TurnAngle(TurnChoice choice) {
  switch (choice) {
    case TurnChoice::Right:
      return 270;  // angles count counter-clockwise
    case TurnChoice::Left:
      return 90;
    case TurnChoice::UpsideDown:
      return 180;
  }
  return 270;
}

const char* TurnPrefix(TurnChoice choice) {
  switch (choice) {
    case TurnChoice::Right:
      return "right-";
    case TurnChoice::Left:
      return "left-";
    case TurnChoice::UpsideDown:
      return "180-";
  }
  return "right-";
}

BatchCommand RotateCommand() {
  BatchCommand c;
  c.name = "rotate";
  c.summary = "rotate BMP, JPEG and GIF files by --turn (prefix right-, left- or 180-)";
  c.prologue = Prologue::RecordSettleShow;
  c.pumpsSkipped = true;
  c.prefixWord = [](BatchHost& host) { return std::string(TurnPrefix(host.options().turn)); };
  c.outputName = [](const std::string& name, const std::string& prefix) { return prefix + name; };
  c.run = [](const FileTask& task) {
    const std::optional<ImageFormat> kind = FormatFromExtension(task.name);
    if (!kind) {
      throw Exception("Cannot rotate " + task.name + ": unknown picture file extension (" +
                      std::string(ExtensionOf(task.name)) + ")");
    }
    Raster upright = ReadAsRaster(task.source(), *kind);
    const int angle = TurnAngle(task.options.turn);
    if (const auto* indices = std::get_if<PaletteBitmap>(&upright);
        indices && *kind == ImageFormat::Gif) {
      // A GIF's indices turn and its colour table stays, so no colour is lost.
      PaletteBitmap turned = RotatePalette(angle, *indices);
      CoverIndicesWithTable(turned);  // indices past a short table keep drawing black
      TGIFImage picture;
      SetGifRaster(picture, turned);
      upright = Bitmap24();
      WriteGifFile(picture, task.prefixedOutput(), task.out());
      return;
    }
    Bitmap24 turned = Rotate90(angle, ToBitmap24(std::move(upright)));
    upright = Bitmap24();
    WriteRaster(std::move(turned), task.prefixedOutput(), *kind, task.options.saveQuality,
                task.out());
  };
  return c;
}

}  // namespace pixtrel
