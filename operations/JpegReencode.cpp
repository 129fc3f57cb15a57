#include "operations/JpegReencode.h"

#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "imaging/Orientation.h"
#include "io/FileBytes.h"
#include "metadata/ExifBlock.h"
#include "operations/PictureFile.h"

namespace pixtrel {

void ReencodeJpegFile(const FilePath& source, const FilePath& output,
                      const JpegReencodeSettings& settings, OutputSink& sink) {
  Bytes bytes = ReadFileBytes(source);
  const PictureMetadata metadata = ReadJpegMetadata(bytes);
  TJPEGImage picture = JpegFromBytes(std::move(bytes));
  picture.SetGreyscale(settings.greyscale);
  DecodeJpeg(picture);
  const Orientation seen =
      settings.upright ? Orientation::FromExif(ExifOrientation(metadata.exif)) : Orientation{};
  if (!seen.upright()) SetJpegRaster(picture, TurnRaster(TakeJpegRaster(picture), seen));
  picture.Quality = settings.quality;
  sink.put(output, EncodeJpegPicture(picture, metadata, settings.metadata, settings.upright));
}

}  // namespace pixtrel
