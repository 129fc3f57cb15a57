#pragma once
// The segments of a JPEG file between SOI and the first scan, located without decoding.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pixtrel {

struct JpegSegment {
  std::size_t begin = 0;  // first byte, fill bytes (0xFF padding) before the marker included
  std::uint8_t marker = 0;
  std::size_t dataBegin = 0;  // after the marker and its length; = end for standalone markers
  std::size_t end = 0;

  std::span<const std::uint8_t> data(std::span<const std::uint8_t> jpeg) const {
    return jpeg.subspan(dataBegin, end - dataBegin);
  }
};

struct JpegHeader {
  std::vector<JpegSegment> segments;
  // Where the walk stopped: at the first scan (SOS), at EOI, or where the structure is damaged
  // or cut off. The file's bytes from here on are not segments this walk understood.
  std::size_t rest = 0;
};

// SOF0..SOF15, the frame headers, without DHT (C4), JPG (C8) and DAC (CC), which share the range.
constexpr bool IsFrameMarker(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// True when the data starts with SOI.
bool StartsWithSoi(std::span<const std::uint8_t> jpeg);

// The segments after SOI; nothing for data that does not start with SOI. Never reads past the
// end: a length that leaves the file ends the walk before that segment.
JpegHeader WalkJpegHeader(std::span<const std::uint8_t> jpeg);

// True when the segment's data starts with the given signature (its terminating zero included
// in size).
bool HasSignature(std::span<const std::uint8_t> jpeg, const JpegSegment& segment,
                  std::uint8_t marker, const char* signature, std::size_t size);

}  // namespace pixtrel
