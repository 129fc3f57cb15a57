#include "codecs/jpeg/JpegTransform.h"

#include <turbojpeg.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "codecs/jpeg/JpegSegments.h"
#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

constexpr std::uint8_t kSos = 0xDA, kEoi = 0xD9;

struct Frame {
  int width = 0;
  int height = 0;
  int components = 0;
  bool progressive = false;
  JpegBlockSize mcu;
};

std::optional<Frame> ReadFrame(std::span<const std::uint8_t> jpeg, const JpegHeader& header) {
  for (const JpegSegment& segment : header.segments) {
    if (!IsFrameMarker(segment.marker)) continue;
    const std::span<const std::uint8_t> data = segment.data(jpeg);
    if (data.size() < 6) return std::nullopt;
    Frame frame;
    frame.height = (data[1] << 8) | data[2];
    frame.width = (data[3] << 8) | data[4];
    frame.components = data[5];
    if (frame.components < 1 || data.size() < 6 + 3 * static_cast<std::size_t>(frame.components)) {
      return std::nullopt;
    }
    // SOF2, SOF6, SOF10 and SOF14 are the progressive processes.
    frame.progressive = (segment.marker & 0x03) == 0x02;
    int horizontal = 1, vertical = 1;
    for (int c = 0; c < frame.components; ++c) {
      const std::uint8_t factors = data[6 + 3 * c + 1];
      horizontal = std::max(horizontal, factors >> 4);
      vertical = std::max(vertical, factors & 0x0F);
    }
    // A one-component scan is not interleaved: its blocks are 8 x 8 whatever its factors.
    frame.mcu =
        frame.components == 1 ? JpegBlockSize{8, 8} : JpegBlockSize{8 * horizontal, 8 * vertical};
    return frame;
  }
  return std::nullopt;
}

// The scans from the first one on: each SOS counted, entropy-coded data (where 0xFF is followed
// by a stuffed zero or a restart marker) and the segments between scans stepped over.
int CountScans(std::span<const std::uint8_t> jpeg, std::size_t at) {
  int scans = 0;
  while (at + 1 < jpeg.size()) {
    if (jpeg[at] != 0xFF) {
      ++at;
      continue;
    }
    std::size_t marker = at + 1;
    while (marker < jpeg.size() && jpeg[marker] == 0xFF)
      ++marker;
    if (marker >= jpeg.size()) break;
    const std::uint8_t code = jpeg[marker];
    if (code == 0x00 || (code >= 0xD0 && code <= 0xD8) || code == 0x01) {
      at = marker + 1;
      continue;
    }
    if (code == kEoi) break;
    if (code == kSos && ++scans > kMaxJpegScans) return scans;
    if (marker + 2 >= jpeg.size()) break;
    const std::size_t length = (std::size_t{jpeg[marker + 1]} << 8) | jpeg[marker + 2];
    at = marker + 1 + std::max<std::size_t>(length, 2);
  }
  return scans;
}

int TurboOp(JpegTransformOp op) {
  switch (op) {
    case JpegTransformOp::None:
      return TJXOP_NONE;
    case JpegTransformOp::FlipLeftRight:
      return TJXOP_HFLIP;
    case JpegTransformOp::FlipTopBottom:
      return TJXOP_VFLIP;
    case JpegTransformOp::Transpose:
      return TJXOP_TRANSPOSE;
    case JpegTransformOp::Transverse:
      return TJXOP_TRANSVERSE;
    case JpegTransformOp::Clockwise90:
      return TJXOP_ROT90;
    case JpegTransformOp::Turn180:
      return TJXOP_ROT180;
    case JpegTransformOp::Clockwise270:
      return TJXOP_ROT270;
  }
  throw std::logic_error("unknown JPEG transform");
}

// Which sides of the source must be whole blocks for the transform to move every pixel (as
// libjpeg's jtransform_perfect_transform decides).
struct SidesNeeded {
  bool width = false;
  bool height = false;
};

SidesNeeded SidesFor(JpegTransformOp op) {
  switch (op) {
    case JpegTransformOp::None:
    case JpegTransformOp::Transpose:
      return {};
    case JpegTransformOp::FlipLeftRight:
    case JpegTransformOp::Clockwise270:
      return {true, false};
    case JpegTransformOp::FlipTopBottom:
    case JpegTransformOp::Clockwise90:
      return {false, true};
    case JpegTransformOp::Transverse:
    case JpegTransformOp::Turn180:
      return {true, true};
  }
  return {true, true};
}

void CheckWholeBlocks(const Frame& frame, JpegTransformOp op) {
  const SidesNeeded needed = SidesFor(op);
  if ((!needed.width || frame.width % frame.mcu.width == 0) &&
      (!needed.height || frame.height % frame.mcu.height == 0)) {
    return;
  }
  throw Exception("Cannot turn this JPEG without loss: its " + std::to_string(frame.width) + " x " +
                  std::to_string(frame.height) + " pixels are not whole " +
                  std::to_string(frame.mcu.width) + " x " + std::to_string(frame.mcu.height) +
                  " blocks; trimming would drop the partial blocks at its edge");
}

struct TurboHandle {
  tjhandle handle = tjInitTransform();
  ~TurboHandle() {
    if (handle) tjDestroy(handle);
  }
};
struct TurboBuffer {
  unsigned char* data = nullptr;
  unsigned long size = 0;
  ~TurboBuffer() { tjFree(data); }
};

}  // namespace

JpegTransformOp JpegOpFor(bool mirror, int clockwiseQuarters) {
  const int quarters = ((clockwiseQuarters % 4) + 4) % 4;
  if (!mirror) {
    constexpr JpegTransformOp kTurns[] = {JpegTransformOp::None, JpegTransformOp::Clockwise90,
                                          JpegTransformOp::Turn180, JpegTransformOp::Clockwise270};
    return kTurns[quarters];
  }
  // Mirrored, then turned: a quarter clockwise mirrors along the other diagonal, a half turn
  // mirrors top to bottom, three quarters along the main diagonal.
  constexpr JpegTransformOp kMirrored[] = {
      JpegTransformOp::FlipLeftRight, JpegTransformOp::Transverse, JpegTransformOp::FlipTopBottom,
      JpegTransformOp::Transpose};
  return kMirrored[quarters];
}

JpegTransformOp UprightJpegOp(int exifOrientation) {
  switch (exifOrientation) {
    case 2:
      return JpegTransformOp::FlipLeftRight;
    case 3:
      return JpegTransformOp::Turn180;
    case 4:
      return JpegTransformOp::FlipTopBottom;
    case 5:
      return JpegTransformOp::Transpose;
    case 6:
      return JpegTransformOp::Clockwise90;
    case 7:
      return JpegTransformOp::Transverse;
    case 8:
      return JpegTransformOp::Clockwise270;
    default:
      return JpegTransformOp::None;
  }
}

JpegBlockSize JpegMcuSize(std::span<const std::uint8_t> jpeg) {
  const std::optional<Frame> frame = ReadFrame(jpeg, WalkJpegHeader(jpeg));
  return frame ? frame->mcu : JpegBlockSize{};
}

TransformedJpeg TransformJpeg(std::span<const std::uint8_t> jpeg, JpegTransformOp op,
                              const JpegTransformSettings& settings) {
  if (!StartsWithSoi(jpeg)) throw EJPEG("JPEG error: Not a JPEG file");
  const JpegHeader header = WalkJpegHeader(jpeg);
  const std::optional<Frame> frame = ReadFrame(jpeg, header);
  if (!frame) throw EJPEG("JPEG file is damaged: no frame header before the picture data");
  CheckPictureSize(frame->width, frame->height);
  CheckPixelsForData(frame->width, frame->height, static_cast<std::int64_t>(jpeg.size()));
  if (frame->width == 0 || frame->height == 0) {
    throw EJPEG("JPEG file is damaged: the picture has no size");
  }
  if (CountScans(jpeg, header.rest) > kMaxJpegScans) {
    throw EJPEG("JPEG error: more than " + std::to_string(kMaxJpegScans) + " progressive scans");
  }
  if (!settings.trim) CheckWholeBlocks(*frame, op);

  TurboHandle turbo;
  if (!turbo.handle) throw Exception("Out of memory");
  tjtransform transform{};
  transform.op = TurboOp(op);
  transform.options = settings.trim ? TJXOPT_TRIM : TJXOPT_PERFECT;
  if (frame->progressive) transform.options |= TJXOPT_PROGRESSIVE;
  if (!settings.copyMarkers) transform.options |= TJXOPT_COPYNONE;
  TurboBuffer output;
  // Warnings (corrupt or cut-off data) stop the transform: the result would be garbled.
  if (tjTransform(turbo.handle, jpeg.data(), jpeg.size(), 1, &output.data, &output.size, &transform,
                  TJFLAG_STOPONWARNING) != 0) {
    const std::string text = tjGetErrorStr2(turbo.handle);
    if (tjGetErrorCode(turbo.handle) == TJERR_WARNING) {
      throw EJPEG("JPEG file is damaged: " + text);
    }
    throw EJPEG("JPEG error: " + text);
  }
  TransformedJpeg result;
  result.bytes.assign(output.data, output.data + output.size);
  const std::optional<Frame> turned = ReadFrame(result.bytes, WalkJpegHeader(result.bytes));
  if (!turned) throw EJPEG("JPEG error: the turned picture has no frame header");
  result.width = turned->width;
  result.height = turned->height;
  result.components = turned->components;
  return result;
}

}  // namespace pixtrel
