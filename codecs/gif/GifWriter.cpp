#include "codecs/gif/GifWriter.h"

#include <algorithm>

#include "codecs/gif/GifLzwEncoder.h"
#include "core/Errors.h"
#include "io/SafeWrite.h"

namespace pixtrel {
namespace {

class ByteWriter {
 public:
  Bytes bytes;

  void u8(int v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
  void u16(int v) {
    if (v < 0 || v > 0xFFFF) throw EGIFError("Picture too large for a GIF file");
    u8(v & 0xFF);
    u8(v >> 8);
  }
  void text(const std::string& s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
  void block(std::span<const std::uint8_t> data) {
    u8(static_cast<int>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
  }
  // Data cut into sub-blocks of at most 255 bytes, then the terminator.
  void subBlocks(std::span<const std::uint8_t> data) {
    for (std::size_t at = 0; at < data.size(); at += 255) {
      block(data.subspan(at, std::min<std::size_t>(255, data.size() - at)));
    }
    u8(0);
  }
};

bool NeedsVersion89a(const TGIFImage& picture) {
  if (picture.header.colorMap.sorted && !picture.header.colorMap.empty()) return true;
  return std::any_of(picture.images.begin(), picture.images.end(), [](const TGIFSubImage& f) {
    return !f.extensions.empty() || (f.colorMap.sorted && !f.colorMap.empty());
  });
}

// Colours, then black entries up to 2^(bits per pixel).
void WriteColorMap(ByteWriter& out, const TGIFColorMap& map) {
  if (map.colors.size() > 256) throw EGIFError("Color table too large");
  for (const Rgb& c : map.colors) {
    out.u8(c.r);
    out.u8(c.g);
    out.u8(c.b);
  }
  const std::size_t entries = std::size_t{1} << map.BitsPerPixel();
  out.bytes.insert(out.bytes.end(), (entries - map.colors.size()) * 3, 0);
}

struct ExtensionWriter {
  ByteWriter& out;
  void operator()(const TGIFGraphicControlExtension& g) const {
    const std::uint8_t body[4] = {g.packedFields, static_cast<std::uint8_t>(g.delay & 0xFF),
                                  static_cast<std::uint8_t>(g.delay >> 8), g.transparentIndex};
    out.u8('!');
    out.u8(0xF9);
    out.block(body);
    out.u8(0);
  }
  void operator()(const TGIFAppExtNSLoop& loop) const {
    std::string id = loop.identifier;
    id.resize(11, ' ');
    const std::uint8_t body[3] = {1, static_cast<std::uint8_t>(loop.loops & 0xFF),
                                  static_cast<std::uint8_t>(loop.loops >> 8)};
    out.u8('!');
    out.u8(0xFF);
    out.block(std::span(reinterpret_cast<const std::uint8_t*>(id.data()), id.size()));
    out.subBlocks(body);
  }
  void operator()(const TGIFAppExtension& app) const {
    std::string id = app.identifier.substr(0, 255);
    out.u8('!');
    out.u8(0xFF);
    out.block(std::span(reinterpret_cast<const std::uint8_t*>(id.data()), id.size()));
    out.subBlocks(app.data);
  }
  void operator()(const TGIFCommentExtension& comment) const {
    out.u8('!');
    out.u8(0xFE);
    out.subBlocks(
        std::span(reinterpret_cast<const std::uint8_t*>(comment.text.data()), comment.text.size()));
  }
  void operator()(const TGIFTextExtension& text) const {
    out.u8('!');
    out.u8(0x01);
    out.block(std::span(text.header).first(std::min<std::size_t>(text.header.size(), 255)));
    out.subBlocks(text.text);
  }
};

void WriteFrame(ByteWriter& out, const TGIFImage& picture, const TGIFSubImage& frame) {
  for (const TGIFExtension& e : frame.extensions)
    std::visit(ExtensionWriter{out}, e);
  if (frame.empty()) return;

  const std::size_t count = static_cast<std::size_t>(frame.width) * frame.height;
  if (frame.pixels.size() != count) throw EGIFError("Frame data does not match its size");
  const TGIFColorMap& active = picture.ActiveColorMap(frame);
  const std::uint8_t highest =
      count ? *std::max_element(frame.pixels.begin(), frame.pixels.end()) : 0;
  if (highest >= active.count()) throw EGIFError("Color not in color table");

  out.u8(',');
  out.u16(frame.left);
  out.u16(frame.top);
  out.u16(frame.width);
  out.u16(frame.height);
  if (frame.colorMap.empty()) {
    out.u8(0);
  } else {
    out.u8(0x80 | (frame.colorMap.BitsPerPixel() - 1));  // interlace and sorted bits clear
    WriteColorMap(out, frame.colorMap);
  }
  const int minCodeSize = std::max(active.BitsPerPixel(), 2);
  out.u8(minCodeSize);
  out.subBlocks(EncodeGifLzw(frame.pixels, minCodeSize));
}

}  // namespace

Bytes EncodeGif(const TGIFImage& picture) {
  if (picture.images.empty()) throw EGIFError("Unsupported GIF version");
  const TGIFHeader& h = picture.header;
  int deepest = h.colorMap.BitsPerPixel();
  for (const TGIFSubImage& f : picture.images)
    deepest = std::max(deepest, f.colorMap.BitsPerPixel());
  const int resolution = (deepest - 1) & 7;

  ByteWriter out;
  out.text(NeedsVersion89a(picture) ? "GIF89a" : "GIF87a");
  out.u16(h.width);
  out.u16(h.height);
  if (h.colorMap.empty()) {
    out.u8(resolution << 4 | resolution);
  } else {
    // The size field must describe the global table itself, or readers would misplace
    // everything after it.
    out.u8(0x80 | resolution << 4 | (h.colorMap.sorted ? 0x08 : 0) |
           (h.colorMap.BitsPerPixel() - 1));
  }
  out.u8(h.backgroundColorIndex);
  out.u8(h.aspectRatio);
  if (!h.colorMap.empty()) WriteColorMap(out, h.colorMap);
  for (const TGIFSubImage& frame : picture.images)
    WriteFrame(out, picture, frame);
  out.u8(0x3B);
  return std::move(out.bytes);
}

void WriteGifFile(TGIFImage& picture, const FilePath& path, OutputSink& sink) {
  const Bytes bytes = EncodeGif(picture);
  sink.put(path, bytes);
}

}  // namespace pixtrel
