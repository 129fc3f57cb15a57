#pragma once
// Turning and mirroring a JPEG on its compressed data (TurboJPEG's lossless transform): the DCT
// coefficients move, none is decoded or quantized again, so a photo loses nothing however often
// it is turned. The coefficients move in whole blocks (an MCU: 8 x 8 pixels, 16 x 16 for 4:2:0
// colour), so a picture whose size is not a whole number of blocks on a side the turn moves is
// refused, or has those partial edge blocks dropped when trimming is asked (as jpegtran -trim).
#include <cstdint>
#include <span>

#include "core/DecodedPicture.h"
#include "io/FileBytes.h"

namespace pixtrel {

// TurboJPEG's eight transforms. Transpose mirrors along the top-left to bottom-right diagonal,
// Transverse along the other one.
enum class JpegTransformOp {
  None,
  FlipLeftRight,
  FlipTopBottom,
  Transpose,
  Transverse,
  Clockwise90,
  Turn180,
  Clockwise270,
};

// The transform that mirrors left to right when asked, then turns clockwise by quarters (0 to 3;
// others are taken modulo 4): how an orientation is applied.
JpegTransformOp JpegOpFor(bool mirror, int clockwiseQuarters);

// The transform that turns a photo stored with this EXIF orientation (1 to 8; others count as 1)
// upright.
JpegTransformOp UprightJpegOp(int exifOrientation);

struct JpegTransformSettings {
  bool trim = false;  // drop partial edge blocks instead of refusing the picture
  // true: every marker of the source is carried over (comments, APPn segments); false: none but
  // what decoding needs (libjpeg writes its own JFIF or Adobe marker).
  bool copyMarkers = true;
};

struct TransformedJpeg {
  Bytes bytes;
  int width = 0;  // of the result
  int height = 0;
  int components = 0;
};

// The source's data transformed. A progressive source stays progressive; the scans are coded
// anew, the coefficients are the source's. Fails with "Cannot turn this JPEG without loss: ..."
// when its size does not allow the transform and trim is not set, with "JPEG file is damaged:
// ..." for data TurboJPEG warns about (it would come out garbled), with the picture limits of
// Limits.h (size, size for its data, progressive scans) before anything is decoded, and with
// "JPEG error: <TurboJPEG's text>" otherwise.
TransformedJpeg TransformJpeg(std::span<const std::uint8_t> jpeg, JpegTransformOp op,
                              const JpegTransformSettings& settings);

// The size of the block (MCU) a transform moves, from the frame header: 8 x 8 for one
// component, else 8 times the largest sampling factors. Zero when there is no frame header.
struct JpegBlockSize {
  int width = 0;
  int height = 0;
};
JpegBlockSize JpegMcuSize(std::span<const std::uint8_t> jpeg);

}  // namespace pixtrel
