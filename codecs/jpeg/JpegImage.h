#pragma once
// A JPEG picture: the file's encoded bytes, a lazily decoded raster, and the settings it is
// decoded and encoded with.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>

#include "core/Raster.h"
#include "io/FileBytes.h"
#include "io/OutputSink.h"

namespace pixtrel {

// Receives 24-bit rows [firstRow, firstRow + count) of a picture being decoded, stride bytes apart.
using JpegRowConsumer =
    std::function<void(const std::uint8_t* rows, std::size_t stride, int firstRow, int count)>;

class TJPEGImage {
 public:
  // Settings; a new picture has quality 90, baseline, colour.
  int Quality = 90;
  bool Progressive = false;

  bool Greyscale() const { return greyscale_; }
  // Changing it drops the decoded raster, so the next decoding follows the new value.
  void SetGreyscale(bool value);

  // Those of the decoded or given raster when there is one, else those of the header.
  int width() const;
  int height() const;

  const Bytes& data() const { return data_; }
  bool hasRaster() const { return raster_.has_value(); }
  const Raster& raster() const { return *raster_; }

 private:
  friend TJPEGImage ReadJpegFile(const FilePath&);
  friend TJPEGImage JpegFromBytes(Bytes);
  friend void DecodeJpeg(TJPEGImage&);
  friend void DecodeJpegRows(const TJPEGImage&, const JpegRowConsumer&);
  friend void SetJpegRaster(TJPEGImage&, Raster);
  friend Raster TakeJpegRaster(TJPEGImage&);
  friend void EncodeJpeg(TJPEGImage&);

  bool greyscale_ = false;
  Bytes data_;
  int headerWidth_ = 0;
  int headerHeight_ = 0;
  std::optional<Raster> raster_;
};

// A picture holding the file's bytes; the header is parsed for the size and for Progressive
// (more than one scan). Nothing is decoded yet.
TJPEGImage ReadJpegFile(const FilePath& path);
TJPEGImage JpegFromBytes(Bytes bytes);

// Decodes the bytes when there is no raster yet: full size, block smoothing, float DCT. Colour
// files give a Bitmap24 (four-component files are converted to sRGB through their CMYK profile,
// or by the plain formula when they carry none); greyscale output (asked
// for, or a one-component file) gives an 8-bit PaletteBitmap of 236 dithered grey levels.
// Empty data gives an empty raster.
void DecodeJpeg(TJPEGImage& picture);

// Decodes when needed and moves the raster out of the picture, which keeps its bytes. Saves a
// copy of a large picture when only its pixels are wanted.
Raster TakeJpegRaster(TJPEGImage& picture);

// Decodes the picture's bytes as DecodeJpeg would, handing the rows over in batches as they are
// decoded instead of keeping the whole picture (greyscale output is expanded to 24 bits; a
// picture that already holds a raster hands that over). An exception from consume stops the
// decoding and is passed on.
void DecodeJpegRows(const TJPEGImage& picture, const JpegRowConsumer& consume);

// The picture takes the raster; its bytes are dropped, its settings kept.
void SetJpegRaster(TJPEGImage& picture, Raster raster);

// Encodes the raster anew with the picture's settings (float DCT, quality with baseline
// tables, one component when Greyscale, progressive when Progressive). An empty raster gives
// empty data.
void EncodeJpeg(TJPEGImage& picture);

// Writes the bytes, encoding first when the picture holds none.
void WriteJpegFile(TJPEGImage& picture, const FilePath& path, OutputSink& sink = WriteAtOnce());

}  // namespace pixtrel
