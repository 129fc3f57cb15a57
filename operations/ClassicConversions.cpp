#include "operations/ClassicConversions.h"

#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifImage.h"
#include "codecs/gif/GifRaster.h"
#include "codecs/gif/GifReader.h"
#include "codecs/gif/GifWriter.h"
#include "codecs/jpeg/JpegImage.h"

namespace pixtrel {
namespace {

// A new picture, so the creation settings hold whatever the window's sliders show.
void WriteNewJpeg(Raster raster, const FilePath& target, OutputSink& sink) {
  TJPEGImage picture;
  SetJpegRaster(picture, std::move(raster));
  WriteJpegFile(picture, target, sink);
}

void WriteNewGif(const Raster& raster, const FilePath& target, OutputSink& sink) {
  TGIFImage picture;
  SetGifRaster(picture, raster);
  WriteGifFile(picture, target, sink);
}

}  // namespace

void ConvertGifToJpeg(const FilePath& source, const FilePath& target, OutputSink& sink) {
  WriteNewJpeg(GifFrameRaster(ReadGifFile(source)), target, sink);
}

void ConvertBmpToJpeg(const FilePath& source, const FilePath& target, OutputSink& sink) {
  WriteNewJpeg(ReadBmpFile(source), target, sink);
}

void ConvertBmpToGif(const FilePath& source, const FilePath& target, OutputSink& sink) {
  WriteNewGif(ReadBmpFile(source), target, sink);
}

void ConvertGifToBmp(const FilePath& source, const FilePath& target, OutputSink& sink) {
  WriteBmpFile(GifFrameRaster(ReadGifFile(source)), target, sink);
}

}  // namespace pixtrel
