#include <jxl/decode.h>
#include <jxl/decode_cxx.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "codecs/jxl/JxlFile.h"
#include "codecs/jxl/JxlRunner.h"
#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

[[noreturn]] void Fail(const std::string& reason) {
  throw Exception("JPEG XL error: " + reason);
}

// Metadata boxes larger than this are left out, as in the other formats.
constexpr std::size_t kMaxBoxBytes = std::size_t{4} << 20;
// Alpha, depth, a spot colour or two: real files have few. Each is a plane at the picture's size,
// so their number is bounded before libjxl allocates them.
constexpr std::uint32_t kMaxExtraChannels = 8;

constexpr JxlDecoderStatus kEvents = static_cast<JxlDecoderStatus>(
    JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE | JXL_DEC_BOX);

// Where the pixels go as libjxl hands them over, row piece by row piece.
struct PixelSink {
  Bitmap24* bitmap = nullptr;
  std::vector<std::uint8_t>* alpha = nullptr;  // null without alpha
  int channels = 3;
  bool deep = false;  // 16-bit samples

  // 16-bit samples to 8 bits, rounded to the nearest level as the PNG reader does.
  static std::uint8_t Eight(std::uint16_t value) {
    return static_cast<std::uint8_t>((value * 255u + 32767u) / 65535u);
  }

  static void Take(void* opaque, std::size_t x, std::size_t y, std::size_t count,
                   const void* pixels) {
    const PixelSink& sink = *static_cast<const PixelSink*>(opaque);
    if (y >= static_cast<std::size_t>(sink.bitmap->height()) ||
        x + count > static_cast<std::size_t>(sink.bitmap->width())) {
      return;  // libjxl keeps within the size it announced; never write outside it
    }
    std::uint8_t* out = sink.bitmap->row(static_cast<int>(y)) + x * 3;
    std::uint8_t* alpha = sink.alpha ? sink.alpha->data() + y * sink.bitmap->width() + x : nullptr;
    const int n = sink.channels;
    if (sink.deep) {
      const auto* in = static_cast<const std::uint16_t*>(pixels);
      for (std::size_t i = 0; i < count; ++i, in += n, out += 3) {
        out[0] = Eight(in[2]);
        out[1] = Eight(in[1]);
        out[2] = Eight(in[0]);
        if (alpha) alpha[i] = Eight(in[3]);
      }
    } else {
      const auto* in = static_cast<const std::uint8_t*>(pixels);
      for (std::size_t i = 0; i < count; ++i, in += n, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        if (alpha) alpha[i] = in[3];
      }
    }
  }
};

bool IsSrgb(const JxlColorEncoding& c) {
  return c.color_space == JXL_COLOR_SPACE_RGB && c.white_point == JXL_WHITE_POINT_D65 &&
         c.primaries == JXL_PRIMARIES_SRGB && c.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

bool IsGreySrgb(const JxlColorEncoding& c) {
  return c.color_space == JXL_COLOR_SPACE_GRAY && c.white_point == JXL_WHITE_POINT_D65 &&
         c.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// A metadata box a whole file could not reasonably need: one that decompresses to more than this
// fails the picture, so a small Brotli-compressed box cannot keep the reader busy for long.
constexpr std::uint64_t kMaxBoxOutput = std::uint64_t{64} << 20;

// One EXIF or XMP box read into a buffer that grows as libjxl fills it, Brotli-compressed ones
// ("brob") decompressed; boxes without a buffer are passed over. A box over the limit is left
// out: the rest of it is drained into a scratch buffer, since libjxl asks for room until the box
// ends.
class BoxReader {
 public:
  explicit BoxReader(JxlDecoder* decoder) : decoder_(decoder) {}

  // A box begins: the one before it is complete. target null: a box that is not read.
  void Begin(std::vector<std::uint8_t>* target) {
    Finish(true);
    if (!target || !target->empty()) return;  // only the first box of a kind is read
    target_ = target;
    buffer_.resize(std::size_t{64} << 10);
    Offer(0);
  }

  // The buffer is full: a larger one takes over where it stopped, up to the limit.
  void Grow() {
    const std::size_t left = JxlDecoderReleaseBoxBuffer(decoder_);
    const std::size_t used = offered_ - left;
    output_ += used;
    if (output_ > kMaxBoxOutput) Fail("a metadata box is too large");
    if (!target_) {  // draining a box that is left out
      buffer_.resize(std::size_t{64} << 10);
      Offer(0);
      return;
    }
    const std::size_t filled = buffer_.size() - left;
    if (buffer_.size() >= kMaxBoxBytes) {
      target_ = nullptr;
      buffer_.resize(std::size_t{64} << 10);
      Offer(0);
      return;
    }
    buffer_.resize(std::min(buffer_.size() * 2, kMaxBoxBytes));
    Offer(filled);
  }

  // The box in hand is complete (or, when not, dropped).
  void Finish(bool complete) {
    if (offered_ == 0) return;
    const std::size_t left = JxlDecoderReleaseBoxBuffer(decoder_);
    if (target_ && complete) {
      buffer_.resize(buffer_.size() - left);
      *target_ = std::move(buffer_);
    }
    target_ = nullptr;
    offered_ = 0;
    output_ = 0;
    buffer_ = {};
  }

 private:
  void Offer(std::size_t from) {
    offered_ = buffer_.size() - from;
    if (JxlDecoderSetBoxBuffer(decoder_, buffer_.data() + from, offered_) != JXL_DEC_SUCCESS) {
      Fail("cannot read a metadata box");
    }
  }

  JxlDecoder* decoder_;
  std::vector<std::uint8_t>* target_ = nullptr;
  std::vector<std::uint8_t> buffer_;
  std::size_t offered_ = 0;   // bytes of the buffer handed to libjxl, 0 when none
  std::uint64_t output_ = 0;  // bytes of the box libjxl has written so far
};

// A JPEG XL Exif box starts with the big-endian offset from its end to the TIFF header (some
// writers point at an "Exif\0\0" header, which is skipped too). A bad offset drops the block.
std::vector<std::uint8_t> TiffFromExifBox(const std::vector<std::uint8_t>& box) {
  if (box.size() < 4) return {};
  const std::uint32_t offset = std::uint32_t{box[0]} << 24 | std::uint32_t{box[1]} << 16 |
                               std::uint32_t{box[2]} << 8 | box[3];
  if (offset > box.size() - 4) return {};
  auto start = box.begin() + 4 + static_cast<std::ptrdiff_t>(offset);
  static constexpr char kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
  if (box.end() - start >= 6 && std::equal(kExifHeader, kExifHeader + 6, start)) start += 6;
  return std::vector<std::uint8_t>(start, box.end());
}

struct Reading {
  JxlBasicInfo info{};
  bool haveInfo = false;
  bool havePixels = false;
  bool cutShort = false;  // the data ended after the pixels
  bool jpegReconstruction = false;
  std::vector<std::uint8_t> exifBox;
  PixelSink sink;
  JxlPixelFormat format{};
};

void CheckInfo(const JxlBasicInfo& info, std::size_t fileBytes) {
  CheckPictureSize(info.xsize, info.ysize);
  CheckPixelsForData(info.xsize, info.ysize, static_cast<std::int64_t>(fileBytes));
  if (info.xsize == 0 || info.ysize == 0) Fail("empty picture");
  if (info.num_extra_channels > kMaxExtraChannels) {
    Fail("too many extra channels (" + std::to_string(info.num_extra_channels) + ")");
  }
  if (info.num_color_channels != 1 && info.num_color_channels != 3) {
    Fail("unsupported number of colour channels");
  }
}

// The colour space the pixels come in. Pictures stored in the lossy colour space may come in any
// space the decoder can make; sRGB is asked for, so that they need no profile. Otherwise an
// sRGB picture carries no profile (as an untagged picture is read), and every other one the
// profile that describes its pixels.
std::vector<std::uint8_t> SettleColour(JxlDecoder* decoder, const JxlBasicInfo& info) {
  if (!info.uses_original_profile) {
    JxlColorEncoding srgb{};
    srgb.color_space = info.num_color_channels == 1 ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
    srgb.white_point = JXL_WHITE_POINT_D65;
    srgb.primaries = JXL_PRIMARIES_SRGB;
    srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    srgb.rendering_intent = JXL_RENDERING_INTENT_RELATIVE;
    if (JxlDecoderSetPreferredColorProfile(decoder, &srgb) != JXL_DEC_SUCCESS) {
      Fail("cannot choose the colour space");
    }
  }
  JxlColorEncoding encoding;
  if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                         &encoding) == JXL_DEC_SUCCESS &&
      (IsSrgb(encoding) || IsGreySrgb(encoding))) {
    return {};
  }
  std::size_t size = 0;
  if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) !=
          JXL_DEC_SUCCESS ||
      size == 0 || size > kMaxBoxBytes) {
    return {};  // no usable profile: the pixels are taken as sRGB
  }
  std::vector<std::uint8_t> icc(size);
  if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, icc.data(),
                                     icc.size()) != JXL_DEC_SUCCESS) {
    return {};
  }
  return icc;
}

void PrepareOutput(JxlDecoder* decoder, Reading& reading, DecodedPicture& picture) {
  const JxlBasicInfo& info = reading.info;
  const bool hasAlpha = info.alpha_bits > 0;
  const bool deep = info.bits_per_sample > 8 || info.exponent_bits_per_sample > 0 ||
                    (hasAlpha && (info.alpha_bits > 8 || info.alpha_exponent_bits > 0));
  reading.format = {hasAlpha ? 4u : 3u, deep ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN,
                    0};
  picture.raster =
      Bitmap24::Uninitialised(static_cast<int>(info.xsize), static_cast<int>(info.ysize));
  if (hasAlpha) picture.alpha.emplace(static_cast<std::size_t>(info.xsize) * info.ysize, 255);
  reading.sink.bitmap = &std::get<Bitmap24>(picture.raster);
  reading.sink.alpha = hasAlpha ? &*picture.alpha : nullptr;
  reading.sink.channels = static_cast<int>(reading.format.num_channels);
  reading.sink.deep = deep;
  if (JxlDecoderSetImageOutCallback(decoder, &reading.format, &PixelSink::Take, &reading.sink) !=
      JXL_DEC_SUCCESS) {
    Fail("cannot decode the picture in this form");
  }
}

}  // namespace

JxlPicture ReadJxlBytes(std::span<const std::uint8_t> bytes, bool keepOrientation) {
  const JxlSignature signature = JxlSignatureCheck(bytes.data(), bytes.size());
  if (signature != JXL_SIG_CODESTREAM && signature != JXL_SIG_CONTAINER) {
    Fail("not a JPEG XL file");
  }
  JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
  if (!decoder) Fail("out of memory");
  JxlDecoder* d = decoder.get();
  if (JxlDecoderSubscribeEvents(d, kEvents) != JXL_DEC_SUCCESS ||
      JxlDecoderSetKeepOrientation(d, keepOrientation ? JXL_TRUE : JXL_FALSE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetUnpremultiplyAlpha(d, JXL_TRUE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetDecompressBoxes(d, JXL_TRUE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetParallelRunner(d, jxl::PoolRunner, nullptr) != JXL_DEC_SUCCESS ||
      JxlDecoderSetInput(d, bytes.data(), bytes.size()) != JXL_DEC_SUCCESS) {
    Fail("cannot set up the decoder");
  }
  JxlDecoderCloseInput(d);

  JxlPicture result;
  DecodedPicture& picture = result.picture;
  Reading reading;
  BoxReader box(d);
  for (;;) {
    const JxlDecoderStatus status = JxlDecoderProcessInput(d);
    switch (status) {
      case JXL_DEC_ERROR:
        Fail("damaged picture data");
      case JXL_DEC_NEED_MORE_INPUT:
        // The pixels are complete: a damaged or cut-off tail loses only what would follow.
        if (!reading.havePixels) Fail("unexpected end of file");
        reading.cutShort = true;
        break;
      case JXL_DEC_BASIC_INFO:
        if (JxlDecoderGetBasicInfo(d, &reading.info) != JXL_DEC_SUCCESS) Fail("damaged header");
        CheckInfo(reading.info, bytes.size());
        reading.haveInfo = true;
        continue;
      case JXL_DEC_COLOR_ENCODING:
        picture.metadata.icc = SettleColour(d, reading.info);
        continue;
      case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
        if (reading.havePixels) Fail("unexpected frame");  // frames after the first are skipped
        PrepareOutput(d, reading, picture);
        continue;
      case JXL_DEC_FULL_IMAGE:
        reading.havePixels = true;
        // The first frame is the picture; the rest of an animation is passed over.
        JxlDecoderSkipFrames(d, SIZE_MAX);
        continue;
      case JXL_DEC_BOX: {
        JxlBoxType type;
        if (JxlDecoderGetBoxType(d, type, JXL_TRUE) != JXL_DEC_SUCCESS) {
          box.Begin(nullptr);
          continue;
        }
        if (std::memcmp(type, "jbrd", 4) == 0) reading.jpegReconstruction = true;
        box.Begin(std::memcmp(type, "Exif", 4) == 0   ? &reading.exifBox
                  : std::memcmp(type, "xml ", 4) == 0 ? &picture.metadata.xmp
                                                      : nullptr);
        continue;
      }
      case JXL_DEC_BOX_NEED_MORE_OUTPUT:
        box.Grow();
        continue;
      case JXL_DEC_SUCCESS:
        break;
      default:
        Fail("unexpected decoder event");
    }
    break;
  }
  box.Finish(!reading.cutShort);
  if (!reading.haveInfo || !reading.havePixels) Fail("the file has no picture");
  picture.metadata.exif = TiffFromExifBox(reading.exifBox);
  picture.lossless = reading.info.uses_original_profile && !reading.jpegReconstruction;
  result.orientation = reading.info.orientation >= 1 && reading.info.orientation <= 8
                           ? static_cast<int>(reading.info.orientation)
                           : 1;
  return result;
}

std::optional<PictureSize> ProbeJxl(std::span<const std::uint8_t> head) {
  const JxlSignature signature = JxlSignatureCheck(head.data(), head.size());
  if (signature != JXL_SIG_CODESTREAM && signature != JXL_SIG_CONTAINER) return std::nullopt;
  JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
  if (!decoder) return std::nullopt;
  JxlDecoder* d = decoder.get();
  // The size as stored, before the orientation turns it.
  if (JxlDecoderSubscribeEvents(d, JXL_DEC_BASIC_INFO) != JXL_DEC_SUCCESS ||
      JxlDecoderSetKeepOrientation(d, JXL_TRUE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetInput(d, head.data(), head.size()) != JXL_DEC_SUCCESS) {
    return std::nullopt;
  }
  JxlDecoderCloseInput(d);
  JxlBasicInfo info;
  if (JxlDecoderProcessInput(d) != JXL_DEC_BASIC_INFO ||
      JxlDecoderGetBasicInfo(d, &info) != JXL_DEC_SUCCESS || info.xsize == 0 || info.ysize == 0 ||
      info.xsize > 0x7FFFFFFFu || info.ysize > 0x7FFFFFFFu) {
    return std::nullopt;
  }
  return PictureSize{static_cast<int>(info.xsize), static_cast<int>(info.ysize)};
}

}  // namespace pixtrel
