#include "codecs/png/PngFile.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "codecs/png/PngBridge.h"
#include "codecs/png/PngChunks.h"
#include "core/BgraSplit.h"
#include "core/ByteOrder.h"
#include "core/Errors.h"
#include "core/Limits.h"
#include "metadata/ColourProfile.h"

namespace pixtrel {
namespace {

using pngbridge::Block;
using pngbridge::Layout;

[[noreturn]] void Fail(const char* message) {
  throw Exception(std::string("PNG error: ") + message);
}

// Releases the bridge's metadata blocks however the read ends.
struct ReadJobGuard {
  pngbridge::ReadJob& job;
  ~ReadJobGuard() {
    pngbridge::FreeBlock(&job.exif);
    pngbridge::FreeBlock(&job.icc);
  }
};

std::vector<std::uint8_t> TakeBlock(const Block& block) {
  return std::vector<std::uint8_t>(block.data, block.data + block.size);
}

constexpr std::uint8_t kSignatureAndIhdr[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                              0,    0,   0,   13,  'I',  'H',  'D',  'R'};

// The format puts IHDR right after the signature. libpng lets ancillary chunks come first, but
// such a file's size is not where the probe (and other readers) look, so it is refused as damaged.
bool IhdrFirst(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 16 &&
         std::equal(std::begin(kSignatureAndIhdr), std::end(kSignatureAndIhdr), bytes.begin());
}

bool PngSignature(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 8 && std::equal(std::begin(kSignatureAndIhdr),
                                         std::begin(kSignatureAndIhdr) + 8, bytes.begin());
}

int PaletteBits(int fileBits) {
  return fileBits == 1 ? 1 : fileBits <= 4 ? 4 : 8;
}

// The raster and its alpha plane, filled from BGRA rows.
struct SplitPicture {
  Bitmap24 bitmap;
  std::vector<std::uint8_t> alpha;

  void takeRow(std::uint32_t y, const std::uint8_t* in) noexcept {
    const int width = bitmap.width();
    SplitBgraRow(in, width, bitmap.row(static_cast<int>(y)),
                 alpha.data() + static_cast<std::size_t>(y) * width);
  }
  static void OnRow(void* context, std::uint32_t y, const std::uint8_t* row) {
    static_cast<SplitPicture*>(context)->takeRow(y, row);
  }
};

// The bytes of decompressed picture data the header calls for, not counting the filter byte of
// each row (so never more than the file must really hold).
std::int64_t DecompressedBytes(const pngbridge::ReadJob& job) {
  int channels = 4;  // colour type 6: RGBA
  switch (job.colourType) {
    case 0:  // grey
    case 3:  // palette
      channels = 1;
      break;
    case 2:  // RGB
      channels = 3;
      break;
    case 4:  // grey and alpha
      channels = 2;
      break;
  }
  const std::int64_t bits = std::int64_t{job.width} * job.height * channels * job.bitDepth;
  return bits / 8;
}

}  // namespace

DecodedPicture ReadPngBytes(std::span<const std::uint8_t> bytes, bool keepDeepSamples) {
  pngbridge::ReadJob job;
  ReadJobGuard guard{job};
  const PngChunks chunks = WalkPngChunks(bytes);
  job.data = bytes.data();
  job.size = chunks.soundLength;
  job.keep16 = keepDeepSamples;
  if (PngSignature(bytes) && !IhdrFirst(bytes)) Fail("IHDR is not the first chunk");
  if (pngbridge::ReadHeader(&job) != 0) Fail(job.message);
  CheckPictureSize(job.width, job.height);
  CheckPixelsForData(job.width, job.height, static_cast<std::int64_t>(bytes.size()));
  // The pixels come out of the IDAT chunks' zlib stream, which cannot hold more than so much.
  CheckDecompressedForData(job.width, job.height, DecompressedBytes(job),
                           static_cast<std::int64_t>(chunks.imageDataBytes));
  if (job.width == 0 || job.height == 0) Fail("empty picture");
  const int width = static_cast<int>(job.width), height = static_cast<int>(job.height);

  DecodedPicture picture;
  std::vector<std::uint8_t*> rows(job.height);
  job.rows = rows.data();
  if (job.layout == Layout::Indices) {
    std::vector<Rgb> palette(job.paletteSize);
    for (int i = 0; i < job.paletteSize; ++i) {
      palette[i] = Rgb{job.palette[i][0], job.palette[i][1], job.palette[i][2]};
    }
    PaletteBitmap bitmap(width, height, PaletteBits(job.bitDepth), std::move(palette));
    for (int y = 0; y < height; ++y)
      rows[y] = bitmap.row(y);
    if (pngbridge::Decode(&job) != 0) Fail(job.message);
    picture.raster = std::move(bitmap);
  } else if (job.layout == Layout::Bgr) {
    Bitmap24 bitmap = Bitmap24::Uninitialised(width, height);
    for (int y = 0; y < height; ++y)
      rows[y] = bitmap.row(y);
    if (pngbridge::Decode(&job) != 0) Fail(job.message);
    picture.raster = std::move(bitmap);
  } else if (job.layout == Layout::Rgb16 || job.layout == Layout::Rgba16) {
    DeepSamples deep;
    deep.width = width;
    deep.height = height;
    deep.channels = job.layout == Layout::Rgba16 ? 4 : 3;
    deep.samples.resize(static_cast<std::size_t>(width) * height * deep.channels);
    for (int y = 0; y < height; ++y) {
      rows[y] = reinterpret_cast<std::uint8_t*>(deep.samples.data() + static_cast<std::size_t>(y) *
                                                                          width * deep.channels);
    }
    if (pngbridge::Decode(&job) != 0) Fail(job.message);
    EightBitPicture reduced = ReduceToEightBits(deep);
    picture.raster = std::move(reduced.raster);
    picture.alpha = std::move(reduced.alpha);
    picture.deep = std::move(deep);
  } else {
    SplitPicture split{Bitmap24::Uninitialised(width, height),
                       std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
    std::vector<std::uint8_t> bgra;
    if (job.interlaced) {
      // The passes fill the rows bit by bit: the whole picture is held in BGRA first.
      bgra.resize(static_cast<std::size_t>(width) * height * 4);
      for (int y = 0; y < height; ++y)
        rows[y] = bgra.data() + static_cast<std::size_t>(y) * width * 4;
    } else {
      job.onRow = SplitPicture::OnRow;
      job.rowContext = &split;
    }
    if (pngbridge::Decode(&job) != 0) Fail(job.message);
    for (int y = 0; job.interlaced && y < height; ++y)
      split.takeRow(static_cast<std::uint32_t>(y), rows[y]);
    picture.raster = std::move(split.bitmap);
    picture.alpha = std::move(split.alpha);
  }
  picture.metadata.exif = TakeBlock(job.exif);
  picture.metadata.icc = TakeBlock(job.icc);
  picture.metadata.xmp = chunks.xmp;
  picture.lossless = true;
  return picture;
}

std::vector<std::uint8_t> EncodePng(const Raster& raster, const std::vector<std::uint8_t>* alpha,
                                    const PictureMetadata& metadata, int zlibLevel) {
  if (RasterEmpty(raster)) Fail("empty picture");
  if (zlibLevel < 0 || zlibLevel > 9) Fail("compression level must be 0 to 9");
  pngbridge::WriteJob job;
  job.width = RasterWidth(raster);
  job.height = RasterHeight(raster);
  job.zlibLevel = zlibLevel;
  if (alpha && alpha->size() != static_cast<std::size_t>(job.width) * job.height) {
    throw EBitmapError("Alpha plane does not match the picture");
  }
  auto borrow = [](const std::vector<std::uint8_t>& bytes) {
    return Block{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
  };
  job.exif = borrow(metadata.exif);
  job.icc = borrow(metadata.icc);
  job.xmp = borrow(metadata.xmp);

  std::uint8_t table[256][3] = {};
  Bitmap24 expanded;
  const auto* palette = std::get_if<PaletteBitmap>(&raster);
  if (palette && !alpha) {
    job.layout = Layout::Indices;
    job.pixels = palette->data();
    job.stride = static_cast<std::size_t>(palette->width());
    job.paletteSize = static_cast<int>(std::min<std::size_t>(palette->palette().size(), 256));
    for (int i = 0; i < job.paletteSize; ++i) {
      table[i][0] = palette->palette()[i].r;
      table[i][1] = palette->palette()[i].g;
      table[i][2] = palette->palette()[i].b;
    }
    job.palette = table;
  } else {
    const Bitmap24* bitmap = std::get_if<Bitmap24>(&raster);
    if (!bitmap) {
      expanded = ToBitmap24(raster);
      bitmap = &expanded;
    }
    job.layout = alpha ? Layout::Bgra : Layout::Bgr;
    job.pixels = bitmap->data();
    job.stride = bitmap->stride();
    job.alpha = alpha ? alpha->data() : nullptr;
  }
  if (pngbridge::Encode(&job) != 0) Fail(job.message);
  std::vector<std::uint8_t> result(job.output.data, job.output.data + job.output.size);
  pngbridge::FreeBlock(&job.output);
  if (job.iccRefused) {
    // libpng is stricter than LittleCMS: a profile it refuses is converted away rather than
    // dropped, so the colours still look as they did.
    Raster converted = raster;
    if (ConvertToSrgb(converted, metadata.icc)) {
      PictureMetadata rest = metadata;
      rest.icc.clear();
      return EncodePng(converted, alpha, rest, zlibLevel);
    }
  }
  return result;
}

std::optional<PictureSize> ProbePng(std::span<const std::uint8_t> head) {
  // The signature, then the IHDR chunk: its length (13), its type, width and height (then bit
  // depth, colour type, compression, filter and interlace method).
  if (head.size() < 24 || !IhdrFirst(head)) return std::nullopt;
  const std::uint32_t width = Be32(head.data() + 16), height = Be32(head.data() + 20);
  // The format allows 1 to 2^31 - 1 pixels a side.
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
    return std::nullopt;
  }
  // BGR and alpha (any file may have a tRNS chunk); an interlaced one is first held as BGRA.
  const bool interlaced = head.size() < 29 || head[28] != 0;
  // A 16-bit file also keeps its samples at 16 bits (for 10-bit AVIF and HEIC outputs).
  const int deep = head.size() < 25 || head[24] == 16 ? 8 : 0;
  return PictureSize{static_cast<int>(width), static_cast<int>(height),
                     (interlaced ? 8 : 4) + deep};
}

}  // namespace pixtrel
