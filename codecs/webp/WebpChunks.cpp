#include "codecs/webp/WebpChunks.h"

#include <webp/demux.h>
#include <webp/mux.h>

#include <memory>
#include <string>
#include <utility>

#include "core/Errors.h"

namespace pixtrel {
namespace {

struct DemuxDelete {
  void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct MuxDelete {
  void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
};
struct DataGuard {
  WebPData data;
  ~DataGuard() { WebPDataClear(&data); }
};

std::vector<std::uint8_t> Chunk(const WebPDemuxer* demux, const char* fourcc) {
  WebPChunkIterator chunk;
  std::vector<std::uint8_t> bytes;
  if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk)) {
    bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
  }
  return bytes;
}

}  // namespace

PictureMetadata ReadWebpMetadata(std::span<const std::uint8_t> file) {
  const WebPData data{file.data(), file.size()};
  std::unique_ptr<WebPDemuxer, DemuxDelete> demux(WebPDemux(&data));
  PictureMetadata metadata;
  if (!demux) return metadata;
  metadata.exif = Chunk(demux.get(), "EXIF");
  metadata.icc = Chunk(demux.get(), "ICCP");
  metadata.xmp = Chunk(demux.get(), "XMP ");
  return metadata;
}

std::vector<std::uint8_t> WithWebpMetadata(std::vector<std::uint8_t> file,
                                           const PictureMetadata& metadata) {
  if (metadata.exif.empty() && metadata.icc.empty() && metadata.xmp.empty()) return file;
  const WebPData stream{file.data(), file.size()};
  std::unique_ptr<WebPMux, MuxDelete> mux(WebPMuxCreate(&stream, 1));
  if (!mux) throw Exception("WebP error: out of memory");
  const std::pair<const char*, const std::vector<std::uint8_t>*> chunks[] = {
      {"EXIF", &metadata.exif}, {"ICCP", &metadata.icc}, {"XMP ", &metadata.xmp}};
  for (const auto& [fourcc, block] : chunks) {
    if (block->empty()) continue;
    const WebPData chunk{block->data(), block->size()};
    if (WebPMuxSetChunk(mux.get(), fourcc, &chunk, 1) != WEBP_MUX_OK) {
      throw Exception(std::string("WebP error: cannot add the ") + fourcc + " chunk");
    }
  }
  DataGuard assembled;
  WebPDataInit(&assembled.data);
  if (WebPMuxAssemble(mux.get(), &assembled.data) != WEBP_MUX_OK) {
    throw Exception("WebP error: cannot assemble the file");
  }
  return std::vector<std::uint8_t>(assembled.data.bytes,
                                   assembled.data.bytes + assembled.data.size);
}

}  // namespace pixtrel
