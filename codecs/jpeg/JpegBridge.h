#pragma once
// The only place that calls libjpeg (with JpegErrorManager and JpegDestination, its parts).
// Each entry point is one plain function guarded by setjmp: no C++ object lives across the
// libjpeg calls and nothing is thrown through them. They report failure in a Status: a libjpeg
// message code with the codec's text, or one of the codes below.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Limits.h"

namespace pixtrel::jpegbridge {

// Codes of our own, above libjpeg's message table.
inline constexpr int kTooManyScans = 10001;
inline constexpr int kOutOfMemory = 10002;
inline constexpr int kStoppedBySink = 10003;
// Warnings that mean picture data was lost (the codec's text says which).
inline constexpr int kDataEndsEarly = 10004;
inline constexpr int kCorruptData = 10005;

// The outcome of a call; code 0 is success.
struct Status {
  int code = 0;
  char text[200] = {};  // the codec's message for its code (libjpeg's JMSG_LENGTH_MAX)
  bool failed() const { return code != 0; }
};

enum class OutputKind { Bgr, GreyPalette, Cmyk };

struct HeaderInfo {
  int width = 0;
  int height = 0;
  int components = 0;
  bool progressive = false;  // more than one scan
  OutputKind kind = OutputKind::Bgr;
  bool invertedCmyk = false;  // an Adobe file: four-component samples are stored inverted
};

// Converts one row of CMYK samples (stored as the file stores them) to BGR. Called between
// libjpeg calls; it must not throw.
using CmykConverter = void (*)(const void* context, const std::uint8_t* cmyk, std::uint8_t* bgr,
                               int width) noexcept;

// Reads the header. With greyscale set the output is greyscale (quantized to 236 levels), as it
// is for a one-component file; four-component files decode to CMYK.
Status ReadHeader(const std::uint8_t* data, std::size_t size, bool greyscale, HeaderInfo* info);

// Receives decoded rows [firstRow, firstRow + count), stride bytes apart; false stops decoding.
// Called between libjpeg calls, never from inside one; it must not throw.
using RowSink = bool (*)(void* context, const std::uint8_t* rows, std::size_t stride, int firstRow,
                         int count) noexcept;

struct DecodeJob {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  bool greyscale = false;
  OutputKind kind = OutputKind::Bgr;  // as ReadHeader reported
  std::uint8_t* pixels = nullptr;     // rows top to bottom, caller-owned
  std::size_t stride = 0;             // bytes per row: width*3 (Bgr), width (palette)
  // Cmyk output is converted to BGR rows here, by cmykToBgr when given (through the file's
  // profile), else by the plain formula; the CMYK samples pass through a scratch row.
  CmykConverter cmykToBgr = nullptr;
  const void* cmykContext = nullptr;
  std::uint8_t greyLevels[256] = {};  // the quantizer's colour map, GreyPalette only
  int greyLevelCount = 0;
  // Streaming (Bgr output only): pixels holds sinkRows rows, handed to sink whenever full.
  RowSink sink = nullptr;
  void* sinkContext = nullptr;
  int sinkRows = 0;
};
Status Decode(DecodeJob* job);

// Display only: the picture at eighths/8 of its size (1..8), with the faster integer DCT and no
// smoothing of a progressive file's early scans. ReadScaledHeader gives the scaled output's size
// (each side times eighths / 8, rounded up) and kind; DecodeScaled fills job->pixels with it.
// Never greyscale on request, never streamed. The program's outputs never come from here.
Status ReadScaledHeader(const std::uint8_t* data, std::size_t size, int eighths, HeaderInfo* info);
Status DecodeScaled(DecodeJob* job, int eighths);

struct EncodeJob {
  const std::uint8_t* pixels = nullptr;  // BGR rows, caller-owned
  std::size_t stride = 0;
  int width = 0;
  int height = 0;
  int quality = 90;
  bool greyscale = false;
  bool progressive = false;
  // Caller-owned; holds the encoded bytes after success. Growing it past EncodedSizeLimit()
  // or beyond what the heap gives fails with kOutOfMemory.
  std::vector<std::uint8_t>* output = nullptr;
};
Status Encode(EncodeJob* job);

// The most bytes one encoded picture may take: the largest file the program reads back. Tests
// lower it to make the encoder run out of room mid-way.
std::size_t EncodedSizeLimit();
void SetEncodedSizeLimit(std::size_t bytes);

// The text of a code, for codes of our own; null for libjpeg's codes.
const char* OwnMessage(int code);

}  // namespace pixtrel::jpegbridge
