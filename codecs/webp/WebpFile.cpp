#include "codecs/webp/WebpFile.h"

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include "codecs/webp/WebpAnimationDecoder.h"
#include "codecs/webp/WebpChunks.h"
#include "core/BgraSplit.h"
#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

[[noreturn]] void Fail(const std::string& reason) {
  throw Exception("WebP error: " + reason);
}

const char* StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
      return "out of memory";
    case VP8_STATUS_INVALID_PARAM:
      return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR:
      return "damaged picture data";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      return "unsupported feature";
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_NOT_ENOUGH_DATA:
      return "unexpected end of file";
    default:
      return "cannot decode the picture";
  }
}

const char* EncodeErrorText(WebPEncodingError error) {
  switch (error) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
      return "out of memory";
    case VP8_ENC_ERROR_BAD_DIMENSION:
      return "picture size not allowed";
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
    case VP8_ENC_ERROR_PARTITION_OVERFLOW:
      return "picture too large for the lossy format";
    case VP8_ENC_ERROR_FILE_TOO_BIG:
      return "file too large";
    default:
      return "cannot encode the picture";
  }
}

struct DemuxDelete {
  void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct PictureGuard {
  WebPPicture picture;
  ~PictureGuard() { WebPPictureFree(&picture); }
};
struct WriterGuard {
  WebPMemoryWriter writer;
  ~WriterGuard() { WebPMemoryWriterClear(&writer); }
};

// Splits BGRA pixels into the raster and an alpha plane (none when every pixel is opaque and
// the file claims no alpha).
void TakeBgra(const std::uint8_t* bgra, int width, int height, bool claimsAlpha,
              DecodedPicture& picture) {
  Bitmap24 bitmap = Bitmap24::Uninitialised(width, height);
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    SplitBgraRow(bgra + static_cast<std::size_t>(y) * width * 4, width, bitmap.row(y),
                 alpha.data() + static_cast<std::size_t>(y) * width);
  }
  const bool opaque =
      std::all_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a == 255; });
  picture.raster = std::move(bitmap);
  if (claimsAlpha || !opaque) picture.alpha = std::move(alpha);
}

// The compressed picture data of every frame (a still file has one), alpha included.
std::int64_t PictureDataBytes(const WebPDemuxer* demux) {
  std::int64_t total = 0;
  WebPIterator frame;
  if (WebPDemuxGetFrame(demux, 1, &frame)) {
    do {
      total += static_cast<std::int64_t>(frame.fragment.size);
    } while (WebPDemuxNextFrame(&frame));
    WebPDemuxReleaseIterator(&frame);
  }
  return total;
}

void ReadFirstFrame(const WebPData& data, const WebPDemuxer* demux, int width, int height,
                    DecodedPicture& picture) {
  const AnimationDecoder decoder = OpenAnimationDecoder(data);
  std::uint8_t* canvas = nullptr;
  int timestamp = 0;
  if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas) {
    Fail("damaged animation frame");
  }
  TakeBgra(canvas, width, height, false, picture);
  WebPIterator frame;
  if (WebPDemuxGetFrame(demux, 1, &frame)) {
    WebPBitstreamFeatures features;
    picture.lossless =
        WebPGetFeatures(frame.fragment.bytes, frame.fragment.size, &features) == VP8_STATUS_OK &&
        features.format == 2;
    WebPDemuxReleaseIterator(&frame);
  }
}

void ReadStill(std::span<const std::uint8_t> bytes, const WebPBitstreamFeatures& features,
               DecodedPicture& picture) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) Fail("cannot decode the picture");
  config.options.use_threads = 0;
  config.output.is_external_memory = 1;
  const int width = features.width, height = features.height;
  std::vector<std::uint8_t> bgra;
  Bitmap24 bitmap;
  if (features.has_alpha) {
    bgra.resize(static_cast<std::size_t>(width) * height * 4);
    config.output.colorspace = MODE_BGRA;
    config.output.u.RGBA.rgba = bgra.data();
    config.output.u.RGBA.stride = width * 4;
    config.output.u.RGBA.size = bgra.size();
  } else {
    bitmap = Bitmap24::Uninitialised(width, height);
    config.output.colorspace = MODE_BGR;
    config.output.u.RGBA.rgba = bitmap.data();
    config.output.u.RGBA.stride = static_cast<int>(bitmap.stride());
    config.output.u.RGBA.size = bitmap.byteSize();
  }
  const VP8StatusCode status = WebPDecode(bytes.data(), bytes.size(), &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) Fail(StatusText(status));
  if (features.has_alpha) {
    TakeBgra(bgra.data(), width, height, true, picture);
  } else {
    picture.raster = std::move(bitmap);
  }
  picture.lossless = features.format == 2;
}

}  // namespace

void CheckWebpSize(std::int64_t width, std::int64_t height) {
  if (width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION) {
    Fail("picture too large (a side may have at most " + std::to_string(WEBP_MAX_DIMENSION) +
         " pixels)");
  }
}

DecodedPicture ReadWebpBytes(std::span<const std::uint8_t> bytes) {
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
  if (status != VP8_STATUS_OK) {
    Fail(status == VP8_STATUS_BITSTREAM_ERROR ? "not a WebP file" : StatusText(status));
  }
  const WebPData data{bytes.data(), bytes.size()};
  std::unique_ptr<WebPDemuxer, DemuxDelete> demux(WebPDemux(&data));
  if (!demux) Fail("damaged file structure");
  // The canvas is what is drawn, for stills and animations alike.
  const int width = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
  const int height = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
  CheckPictureSize(width, height);
  // Held to the bytes of its frames' picture data, not to the whole file: metadata chunks can
  // pad a file with a 1 x 1 frame up to any size, while its canvas is allocated whole.
  CheckPixelsForData(width, height, PictureDataBytes(demux.get()));
  if (width <= 0 || height <= 0) Fail("empty picture");

  DecodedPicture picture;
  if (features.has_animation) {
    ReadFirstFrame(data, demux.get(), width, height, picture);
  } else {
    if (features.width != width || features.height != height) Fail("canvas and picture differ");
    ReadStill(bytes, features, picture);
  }
  PictureMetadata blocks = ReadWebpMetadata(bytes);
  picture.metadata.exif = std::move(blocks.exif);
  picture.metadata.icc = std::move(blocks.icc);
  picture.metadata.xmp = std::move(blocks.xmp);
  return picture;
}

std::vector<std::uint8_t> EncodeWebp(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                                     const PictureMetadata& metadata,
                                     const WebpSettings& settings) {
  if (RasterEmpty(raster)) Fail("empty picture");
  const int width = RasterWidth(raster), height = RasterHeight(raster);
  CheckWebpSize(width, height);
  if (settings.quality < 0 || settings.quality > 100) Fail("quality must be 0 to 100");
  if (alpha && alpha->size() != static_cast<std::size_t>(width) * height) {
    throw EBitmapError("Alpha plane does not match the picture");
  }
  WebPConfig config;
  if (!WebPConfigInit(&config)) Fail("cannot encode the picture");
  config.lossless = settings.lossless ? 1 : 0;
  config.quality = settings.lossless ? 75.0f : static_cast<float>(settings.quality);
  config.exact = settings.lossless ? 1 : 0;
  config.thread_level = 0;

  Bitmap24 expanded;
  const Bitmap24* bitmap = std::get_if<Bitmap24>(&raster);
  if (!bitmap) {
    expanded = ToBitmap24(raster);
    bitmap = &expanded;
  }
  PictureGuard picture;
  if (!WebPPictureInit(&picture.picture)) Fail("cannot encode the picture");
  picture.picture.use_argb = settings.lossless ? 1 : 0;
  picture.picture.width = width;
  picture.picture.height = height;
  int imported = 0;
  if (alpha) {
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* in = bitmap->row(y);
      std::uint8_t* out = bgra.data() + static_cast<std::size_t>(y) * width * 4;
      const std::uint8_t* a = alpha->data() + static_cast<std::size_t>(y) * width;
      for (int x = 0; x < width; ++x, in += 3, out += 4) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = a[x];
      }
    }
    imported = WebPPictureImportBGRA(&picture.picture, bgra.data(), width * 4);
  } else {
    imported =
        WebPPictureImportBGR(&picture.picture, bitmap->data(), static_cast<int>(bitmap->stride()));
  }
  if (!imported) Fail("out of memory");
  WriterGuard writer;
  WebPMemoryWriterInit(&writer.writer);
  picture.picture.writer = WebPMemoryWrite;
  picture.picture.custom_ptr = &writer.writer;
  if (!WebPEncode(&config, &picture.picture)) Fail(EncodeErrorText(picture.picture.error_code));

  return WithWebpMetadata(
      std::vector<std::uint8_t>(writer.writer.mem, writer.writer.mem + writer.writer.size),
      metadata);
}

std::optional<PictureSize> ProbeWebp(std::span<const std::uint8_t> head) {
  // The RIFF header first: libwebp also takes a bare VP8/VP8L bitstream, which is no file.
  static constexpr std::uint8_t kRiff[] = {'R', 'I', 'F', 'F'}, kWebp[] = {'W', 'E', 'B', 'P'};
  if (head.size() < 12 || !std::equal(std::begin(kRiff), std::end(kRiff), head.begin()) ||
      !std::equal(std::begin(kWebp), std::end(kWebp), head.begin() + 8)) {
    return std::nullopt;
  }
  // For an extended file this is the canvas, which is what the reader draws; its size is known
  // (and given) even when large metadata chunks keep the bitstream out of the head.
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(head.data(), head.size(), &features);
  if (status != VP8_STATUS_OK && status != VP8_STATUS_NOT_ENOUGH_DATA) return std::nullopt;
  if (features.width <= 0 || features.height <= 0) return std::nullopt;
  // An animation's canvas is held twice by libwebp (drawn and disposed) besides our picture and
  // alpha; a still with alpha is decoded to BGRA first.
  const int perPixel = features.has_animation ? 12 : features.has_alpha ? 8 : 3;
  return PictureSize{features.width, features.height, perPixel};
}

}  // namespace pixtrel
