#include "codecs/png/PngBridge.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace pixtrel::pngbridge {
namespace {

// Metadata chunks larger than this are refused by the library (the EXIF, ICC and XMP blocks of
// real pictures are far smaller).
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;
constexpr png_uint_32 kMaxAncillaryChunks = 1000;
constexpr png_size_t kIdatBytes = 256u << 10;
constexpr const char* kXmpKey = "XML:com.adobe.xmp";
// Text chunks are not read by libpng at all: it would decompress every compressed one (a
// 15 KB chunk can hold 16 MB of zeros, and a file hundreds of them), though only the XMP packet
// is used, and that is read by the chunk walk before libpng.
constexpr png_byte kSkippedChunks[] = "tEXt\0zTXt\0iTXt";

struct Context {
  char* message;
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
  Block* output;
  std::size_t capacity;
};

void OnError(png_structp png, png_const_charp text) {
  auto* context = static_cast<Context*>(png_get_error_ptr(png));
  std::strncpy(context->message, text ? text : "unknown error", 255);
  context->message[255] = '\0';
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* context = static_cast<Context*>(png_get_io_ptr(png));
  if (count > context->size - context->position) png_error(png, "unexpected end of file");
  std::memcpy(out, context->data + context->position, count);
  context->position += count;
}

void WriteBytes(png_structp png, png_bytep in, png_size_t count) {
  auto* context = static_cast<Context*>(png_get_io_ptr(png));
  Block* out = context->output;
  if (count > context->capacity - out->size) {
    std::size_t capacity = context->capacity ? context->capacity : 65536;
    while (count > capacity - out->size)
      capacity *= 2;
    void* grown = std::realloc(out->data, capacity);
    if (!grown) png_error(png, "out of memory");
    out->data = static_cast<std::uint8_t*>(grown);
    context->capacity = capacity;
  }
  std::memcpy(out->data + out->size, in, count);
  out->size += count;
}

void Flush(png_structp) {}

void CopyBlock(Block* block, const void* data, std::size_t size) {
  if (block->data || !data || size == 0) return;
  block->data = static_cast<std::uint8_t*>(std::malloc(size));
  if (!block->data) return;  // metadata is dropped rather than failing the picture
  std::memcpy(block->data, data, size);
  block->size = size;
}

void ConfigureReader(png_structp png) {
  // Our own limits (checked by the caller after ReadHeader) give the user the clearer message.
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_set_chunk_cache_max(png, kMaxAncillaryChunks);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, 3);
  // Every compressed byte is checked by its chunk's CRC, and the decompressed data follow from
  // them: zlib's second check over every decompressed byte (Adler-32) would only find files
  // whose writer got it wrong, and those are read with the pixels their data hold, as web
  // browsers read them. It cost a twentieth of the decoding.
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
}

void ChooseLayout(png_structp png, png_infop info, ReadJob* job) {
  job->width = png_get_image_width(png, info);
  job->height = png_get_image_height(png, info);
  job->bitDepth = png_get_bit_depth(png, info);
  job->colourType = png_get_color_type(png, info);
  job->interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (job->colourType == PNG_COLOR_TYPE_PALETTE && !hasTrns) {
    job->layout = Layout::Indices;
    png_colorp colours = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &colours, &count) && colours) {
      job->paletteSize = count > 256 ? 256 : count;
      for (int i = 0; i < job->paletteSize; ++i) {
        job->palette[i][0] = colours[i].red;
        job->palette[i][1] = colours[i].green;
        job->palette[i][2] = colours[i].blue;
      }
    }
  } else {
    const bool alpha = (job->colourType & PNG_COLOR_MASK_ALPHA) || hasTrns;
    if (job->keep16 && job->bitDepth == 16) {
      job->layout = alpha ? Layout::Rgba16 : Layout::Rgb16;
    } else {
      job->layout = alpha ? Layout::Bgra : Layout::Bgr;
    }
  }
}

void SetTransforms(png_structp png, const ReadJob* job) {
  if (job->layout == Layout::Indices) {
    png_set_packing(png);
  } else if (job->layout == Layout::Rgb16 || job->layout == Layout::Rgba16) {
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    const std::uint16_t one = 1;
    if (*reinterpret_cast<const std::uint8_t*>(&one) == 1) png_set_swap(png);  // file: big-endian
  } else {
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
  }
  png_set_interlace_handling(png);
}

void CollectMetadata(png_structp png, png_infop info, ReadJob* job) {
  png_bytep exif = nullptr;
  png_uint_32 exifSize = 0;
  if (png_get_eXIf_1(png, info, &exifSize, &exif)) CopyBlock(&job->exif, exif, exifSize);
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 profileSize = 0;
  if (png_get_iCCP(png, info, &name, &compression, &profile, &profileSize)) {
    CopyBlock(&job->icc, profile, profileSize);
  }
}

}  // namespace

void FreeBlock(Block* block) {
  std::free(block->data);
  block->data = nullptr;
  block->size = 0;
}

int ReadHeader(ReadJob* job) {
  Context context{job->message, job->data, job->size, 0, nullptr, 0};
  if (job->size < 8 || png_sig_cmp(job->data, 0, 8) != 0) {
    std::strcpy(job->message, "not a PNG file");
    return 1;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, OnError, OnWarning);
  if (!png) {
    std::strcpy(job->message, "out of memory");
    return 1;
  }
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    if (!job->message[0]) std::strcpy(job->message, "out of memory");
    return 1;
  }
  ConfigureReader(png);
  png_set_read_fn(png, &context, ReadBytes);
  png_read_info(png, info);
  ChooseLayout(png, info, job);
  png_destroy_read_struct(&png, &info, nullptr);
  return 0;
}

int Decode(ReadJob* job) {
  Context context{job->message, job->data, job->size, 0, nullptr, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, OnError, OnWarning);
  if (!png) {
    std::strcpy(job->message, "out of memory");
    return 1;
  }
  png_infop info = png_create_info_struct(png);
  // Set once the pixels are complete: damage after the image data (a cut-off end, a bad
  // trailing chunk) loses only the metadata that would have followed.
  bool volatile pixelsDone = false;
  png_bytep volatile row = nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    std::free(row);
    if (pixelsDone) CollectMetadata(png, info, job);
    png_destroy_read_struct(&png, &info, nullptr);
    if (pixelsDone) return 0;
    if (!job->message[0]) std::strcpy(job->message, "out of memory");
    return 1;
  }
  ConfigureReader(png);
  png_set_read_fn(png, &context, ReadBytes);
  png_read_info(png, info);
  SetTransforms(png, job);
  png_read_update_info(png, info);
  if (job->onRow && !job->interlaced) {
    row = static_cast<png_bytep>(std::malloc(png_get_rowbytes(png, info)));
    if (!row) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < job->height; ++y) {
      png_read_row(png, row, nullptr);
      job->onRow(job->rowContext, y, row);
    }
    std::free(row);
    row = nullptr;
  } else {
    png_read_image(png, job->rows);
  }
  pixelsDone = true;
  png_read_end(png, info);
  CollectMetadata(png, info, job);
  png_destroy_read_struct(&png, &info, nullptr);
  return 0;
}

int Encode(WriteJob* job) {
  Context context{job->message, nullptr, 0, 0, &job->output, 0};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &context, OnError, OnWarning);
  if (!png) {
    std::strcpy(job->message, "out of memory");
    return 1;
  }
  png_infop info = png_create_info_struct(png);
  std::uint8_t* volatile scratch = nullptr;
  png_textp volatile xmpText = nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    std::free(scratch);
    std::free(xmpText);
    png_destroy_write_struct(&png, &info);
    FreeBlock(&job->output);
    if (!job->message[0]) std::strcpy(job->message, "out of memory");
    return 1;
  }
  // A damaged ICC profile is dropped with a warning instead of failing the picture.
  png_set_benign_errors(png, 1);
  png_set_write_fn(png, &context, WriteBytes, Flush);
  png_set_compression_level(png, job->zlibLevel);
  // zlib's output in 256 KiB IDAT chunks rather than libpng's 8 KiB: fewer chunks to frame and
  // check.
  png_set_compression_buffer_size(png, kIdatBytes);
  if (job->layout != Layout::Indices && job->zlibLevel >= 1 && job->zlibLevel <= 6) {
    // As fast encoders do: one filter for every row (each byte less the byte a pixel to its
    // left) and zlib's run-length matching. On photos this is five times faster than trying
    // every filter on every row with zlib's full search, for files about 5 % larger.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_strategy(png, Z_RLE);
  }
  const png_uint_32 width = static_cast<png_uint_32>(job->width);
  const png_uint_32 height = static_cast<png_uint_32>(job->height);
  int bitDepth = 8;
  if (job->layout == Layout::Indices) {
    bitDepth = job->paletteSize <= 2    ? 1
               : job->paletteSize <= 4  ? 2
               : job->paletteSize <= 16 ? 4
                                        : 8;
    png_set_IHDR(png, info, width, height, bitDepth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[256];
    const int count = job->paletteSize < 1 ? 1 : job->paletteSize;
    for (int i = 0; i < count; ++i) {
      colours[i].red = job->paletteSize ? job->palette[i][0] : 0;
      colours[i].green = job->paletteSize ? job->palette[i][1] : 0;
      colours[i].blue = job->paletteSize ? job->palette[i][2] : 0;
    }
    png_set_PLTE(png, info, colours, count);
  } else {
    const int type = job->layout == Layout::Bgra ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, width, height, 8, type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  }
  if (job->exif.size > 0 && job->exif.size <= kMaxChunkBytes) {
    png_set_eXIf_1(png, info, static_cast<png_uint_32>(job->exif.size), job->exif.data);
  }
  if (job->icc.size > 0 && job->icc.size <= kMaxChunkBytes) {
    png_set_iCCP(png, info, "ICC Profile", PNG_COMPRESSION_TYPE_BASE, job->icc.data,
                 static_cast<png_uint_32>(job->icc.size));
    job->iccRefused = png_get_valid(png, info, PNG_INFO_iCCP) == 0;
  }
  if (job->xmp.size > 0 && job->xmp.size <= kMaxChunkBytes) {
    // libpng takes the text up to its first NUL; an XMP packet holds none.
    xmpText = static_cast<png_textp>(std::calloc(1, sizeof(png_text) + job->xmp.size + 1));
    if (!xmpText) png_error(png, "out of memory");
    char* text = reinterpret_cast<char*>(xmpText + 1);
    std::memcpy(text, job->xmp.data, job->xmp.size);
    xmpText->compression = PNG_ITXT_COMPRESSION_NONE;
    xmpText->key = const_cast<char*>(kXmpKey);
    xmpText->text = text;
    xmpText->lang = const_cast<char*>("");
    xmpText->lang_key = const_cast<char*>("");
    png_set_text(png, info, xmpText, 1);
  }
  png_write_info(png, info);
  if (job->layout == Layout::Indices) {
    png_set_packing(png);
    for (int y = 0; y < job->height; ++y) {
      png_write_row(png, job->pixels + static_cast<std::size_t>(y) * job->stride);
    }
  } else if (job->layout == Layout::Bgr) {
    png_set_bgr(png);
    for (int y = 0; y < job->height; ++y) {
      png_write_row(png, job->pixels + static_cast<std::size_t>(y) * job->stride);
    }
  } else {
    scratch = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(job->width) * 4));
    if (!scratch) png_error(png, "out of memory");
    for (int y = 0; y < job->height; ++y) {
      const std::uint8_t* bgr = job->pixels + static_cast<std::size_t>(y) * job->stride;
      const std::uint8_t* alpha = job->alpha + static_cast<std::size_t>(y) * job->width;
      std::uint8_t* out = scratch;
      for (int x = 0; x < job->width; ++x, bgr += 3, out += 4) {
        out[0] = bgr[2];
        out[1] = bgr[1];
        out[2] = bgr[0];
        out[3] = alpha[x];
      }
      png_write_row(png, scratch);
    }
  }
  // Without the info: given it, libpng writes its eXIf chunk a second time after the pixels.
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::free(scratch);
  std::free(xmpText);
  return 0;
}

}  // namespace pixtrel::pngbridge
