#include "codecs/jpeg/JpegProbe.h"

#include "codecs/jpeg/JpegSegments.h"
#include "core/ByteOrder.h"
#include "core/HeaderSides.h"

namespace pixtrel {
namespace {

// The size in the frame header whose marker code is at head[code]: its length, precision,
// height and width are all that is read, so a head cut off later in the header still tells it.
std::optional<PictureSize> FrameSize(std::span<const std::uint8_t> head, std::size_t code) {
  if (code + 8 > head.size() || Be16(&head[code + 1]) < 2) return std::nullopt;
  std::optional<PictureSize> size = HeaderSides(Be16(&head[code + 6]), Be16(&head[code + 4]));
  // A progressive file is decoded from a whole picture of coefficients: two bytes a sample.
  if (size && (head[code] & 3) == 2) size->decodingBytesPerPixel = 9;
  return size;
}

}  // namespace

std::optional<PictureSize> ProbeJpeg(std::span<const std::uint8_t> head) {
  const JpegHeader header = WalkJpegHeader(head);
  for (const JpegSegment& segment : header.segments) {
    // A segment's data begins three bytes after its marker code: the code, two of length.
    if (IsFrameMarker(segment.marker)) return FrameSize(head, segment.dataBegin - 3);
  }
  // The walk stops at a segment that runs past the end of the head; when that is the frame
  // header, its first bytes may still be there.
  std::size_t code = header.rest;
  while (code < head.size() && head[code] == 0xFF)
    ++code;
  if (code == header.rest || code >= head.size() || !IsFrameMarker(head[code])) return std::nullopt;
  return FrameSize(head, code);
}

}  // namespace pixtrel
