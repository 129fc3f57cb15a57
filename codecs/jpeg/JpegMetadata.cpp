#include "codecs/jpeg/JpegMetadata.h"

#include <algorithm>

#include "codecs/jpeg/JpegSegments.h"
#include "metadata/ExifBlock.h"

namespace pixtrel {
namespace {

constexpr std::uint8_t kApp0 = 0xE0, kApp1 = 0xE1, kApp2 = 0xE2, kApp13 = 0xED;

constexpr char kExifSignature[] = "Exif\0";  // the sixth byte is padding, usually 0
constexpr std::size_t kExifHeaderSize = 6;
constexpr char kXmpSignature[] = "http://ns.adobe.com/xap/1.0/";  // with its zero: 29 bytes
constexpr char kExtendedXmpSignature[] = "http://ns.adobe.com/xmp/extension/";
constexpr char kIccSignature[] = "ICC_PROFILE";  // then the zero, sequence number and count
constexpr std::size_t kIccHeaderSize = 14;
constexpr char kPhotoshopSignature[] = "Photoshop 3.0";  // with its zero: 14 bytes

constexpr std::size_t kMaxExifSegmentBlock = 65527;
constexpr std::size_t kMaxXmpSegmentBlock = 65502;
constexpr std::size_t kMaxIccChunk = 65519;
constexpr std::size_t kMaxIccChunks = 255;
constexpr std::size_t kMaxIptcSegmentBlock = 65519;

bool IsExif(std::span<const std::uint8_t> jpeg, const JpegSegment& s) {
  return HasSignature(jpeg, s, kApp1, kExifSignature, 5) && s.end - s.dataBegin >= kExifHeaderSize;
}
bool IsXmp(std::span<const std::uint8_t> jpeg, const JpegSegment& s) {
  return HasSignature(jpeg, s, kApp1, kXmpSignature, sizeof kXmpSignature);
}
// The continuation of a packet too large for one segment: it belongs with the packet.
bool IsExtendedXmp(std::span<const std::uint8_t> jpeg, const JpegSegment& s) {
  return HasSignature(jpeg, s, kApp1, kExtendedXmpSignature, sizeof kExtendedXmpSignature);
}
bool IsIcc(std::span<const std::uint8_t> jpeg, const JpegSegment& s) {
  return HasSignature(jpeg, s, kApp2, kIccSignature, sizeof kIccSignature) &&
         s.end - s.dataBegin >= kIccHeaderSize;
}
bool IsPhotoshop(std::span<const std::uint8_t> jpeg, const JpegSegment& s) {
  return HasSignature(jpeg, s, kApp13, kPhotoshopSignature, sizeof kPhotoshopSignature);
}
bool IsMetadata(std::span<const std::uint8_t> jpeg, const JpegSegment& s) {
  return IsExif(jpeg, s) || IsXmp(jpeg, s) || IsExtendedXmp(jpeg, s) || IsIcc(jpeg, s) ||
         IsPhotoshop(jpeg, s);
}
bool IsJfif(std::span<const std::uint8_t> jpeg, const JpegSegment& s) {
  return HasSignature(jpeg, s, kApp0, "JFIF", 5);
}

struct IccChunk {
  int sequence;
  int count;
  std::span<const std::uint8_t> data;
};

// The chunks joined in sequence order; empty unless they are exactly 1..count of one count.
std::vector<std::uint8_t> JoinIccChunks(std::vector<IccChunk> chunks) {
  if (chunks.empty()) return {};
  std::sort(chunks.begin(), chunks.end(),
            [](const IccChunk& a, const IccChunk& b) { return a.sequence < b.sequence; });
  const int count = chunks.front().count;
  if (count != static_cast<int>(chunks.size())) return {};
  std::vector<std::uint8_t> icc;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (chunks[i].count != count || chunks[i].sequence != static_cast<int>(i) + 1) return {};
    icc.insert(icc.end(), chunks[i].data.begin(), chunks[i].data.end());
  }
  return icc;
}

void PutSegment(std::vector<std::uint8_t>& out, std::uint8_t marker,
                std::span<const std::uint8_t> header, std::span<const std::uint8_t> data) {
  const std::size_t length = 2 + header.size() + data.size();
  out.insert(out.end(), {0xFF, marker, static_cast<std::uint8_t>(length >> 8),
                         static_cast<std::uint8_t>(length & 0xFF)});
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), data.begin(), data.end());
}

std::span<const std::uint8_t> Signature(const char* text, std::size_t size) {
  return {reinterpret_cast<const std::uint8_t*>(text), size};
}

}  // namespace

void AppendMetadataSegments(std::vector<std::uint8_t>& out, const PictureMetadata& metadata) {
  const auto tiff = TiffPart(metadata.exif);
  if (!tiff.empty() && tiff.size() <= kMaxExifSegmentBlock)
    PutSegment(out, kApp1, Signature("Exif\0\0", kExifHeaderSize), tiff);
  if (!metadata.xmp.empty() && metadata.xmp.size() <= kMaxXmpSegmentBlock)
    PutSegment(out, kApp1, Signature(kXmpSignature, sizeof kXmpSignature), metadata.xmp);
  const std::span<const std::uint8_t> icc = metadata.icc;
  const std::size_t chunks = (icc.size() + kMaxIccChunk - 1) / kMaxIccChunk;
  for (std::size_t i = 0; chunks <= kMaxIccChunks && i < chunks; ++i) {
    std::uint8_t header[kIccHeaderSize] = {};
    std::copy_n(kIccSignature, sizeof kIccSignature, header);
    header[12] = static_cast<std::uint8_t>(i + 1);
    header[13] = static_cast<std::uint8_t>(chunks);
    const std::size_t from = i * kMaxIccChunk;
    PutSegment(out, kApp2, header, icc.subspan(from, std::min(kMaxIccChunk, icc.size() - from)));
  }
  if (!metadata.iptc.empty() && metadata.iptc.size() <= kMaxIptcSegmentBlock)
    PutSegment(out, kApp13, Signature(kPhotoshopSignature, sizeof kPhotoshopSignature),
               metadata.iptc);
}

PictureMetadata ReadJpegMetadata(std::span<const std::uint8_t> jpeg) {
  PictureMetadata metadata;
  std::vector<IccChunk> chunks;
  for (const JpegSegment& segment : WalkJpegHeader(jpeg).segments) {
    const auto data = segment.data(jpeg);
    if (IsExif(jpeg, segment) && metadata.exif.empty()) {
      metadata.exif.assign(data.begin() + kExifHeaderSize, data.end());
    } else if (IsXmp(jpeg, segment) && metadata.xmp.empty()) {
      metadata.xmp.assign(data.begin() + sizeof kXmpSignature, data.end());
    } else if (IsIcc(jpeg, segment)) {
      chunks.push_back(IccChunk{data[12], data[13], data.subspan(kIccHeaderSize)});
    } else if (IsPhotoshop(jpeg, segment)) {
      // Resources too large for one segment continue in the next.
      metadata.iptc.insert(metadata.iptc.end(), data.begin() + sizeof kPhotoshopSignature,
                           data.end());
    }
  }
  metadata.icc = JoinIccChunks(std::move(chunks));
  return metadata;
}

std::vector<std::uint8_t> ReplaceJpegMetadata(std::span<const std::uint8_t> jpeg,
                                              const PictureMetadata& metadata) {
  if (!StartsWithSoi(jpeg)) return {jpeg.begin(), jpeg.end()};
  const JpegHeader header = WalkJpegHeader(jpeg);
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  out.reserve(jpeg.size() + metadata.exif.size() + metadata.xmp.size() + metadata.icc.size());
  auto segment = header.segments.begin();
  // A JFIF APP0 stays first, with the APP0 extensions that follow it.
  if (segment != header.segments.end() && IsJfif(jpeg, *segment)) {
    while (segment != header.segments.end() && segment->marker == kApp0) {
      out.insert(out.end(), jpeg.begin() + segment->begin, jpeg.begin() + segment->end);
      ++segment;
    }
  }
  AppendMetadataSegments(out, metadata);
  for (; segment != header.segments.end(); ++segment) {
    if (!IsMetadata(jpeg, *segment))
      out.insert(out.end(), jpeg.begin() + segment->begin, jpeg.begin() + segment->end);
  }
  out.insert(out.end(), jpeg.begin() + header.rest, jpeg.end());
  return out;
}

std::vector<std::uint8_t> EncodeJpegWithBlocks(TJPEGImage& picture, const PictureMetadata& blocks) {
  EncodeJpeg(picture);
  if (blocks.empty() || picture.data().empty()) return picture.data();
  return ReplaceJpegMetadata(picture.data(), blocks);
}

}  // namespace pixtrel
