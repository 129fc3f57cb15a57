#include "codecs/jpeg/JpegBridge.h"

#include "codecs/jpeg/JpegDestination.h"
#include "codecs/jpeg/JpegErrorManager.h"

namespace pixtrel::jpegbridge {
namespace {

// Bounds the work a hostile progressive file can cause.
struct ScanLimit {
  jpeg_progress_mgr pub;
  ErrorManager* err;
};

void CheckScans(j_common_ptr cinfo) {
  auto* limit = reinterpret_cast<ScanLimit*>(cinfo->progress);
  auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxJpegScans) {
    FailWith(limit->err, kTooManyScans);
  }
}

// displayEighths 0: the program's own decoding (full size, float DCT, block smoothing). 1..8:
// display only, that many eighths of the size with the faster integer DCT and no smoothing of
// progressive files' early scans (the scaled transforms are integer ones anyway).
void ConfigureDecoder(j_decompress_ptr cinfo, bool greyscale, int displayEighths) {
  if (displayEighths > 0) {
    cinfo->scale_num = static_cast<unsigned>(displayEighths);
    cinfo->scale_denom = 8;
    cinfo->do_block_smoothing = FALSE;
    cinfo->dct_method = JDCT_ISLOW;
  } else {
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
    cinfo->do_block_smoothing = TRUE;
    cinfo->dct_method = JDCT_FLOAT;
  }
  cinfo->mem->max_memory_to_use = kMaxJpegMemory;
  if (cinfo->num_components == 4) {
    cinfo->out_color_space = JCS_CMYK;
    return;
  }
  if (greyscale) cinfo->out_color_space = JCS_GRAYSCALE;
  if (cinfo->out_color_space == JCS_GRAYSCALE) {
    cinfo->quantize_colors = TRUE;
    cinfo->desired_number_of_colors = 236;
  } else {
    cinfo->out_color_space = JCS_EXT_BGR;
  }
}

OutputKind KindOf(j_decompress_ptr cinfo) {
  if (cinfo->out_color_space == JCS_CMYK) return OutputKind::Cmyk;
  if (cinfo->quantize_colors) return OutputKind::GreyPalette;
  return OutputKind::Bgr;
}

// Adobe's CMYK files store inverted samples; plain CMYK stores ink amounts.
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

Status ReadHeaderAt(const std::uint8_t* data, std::size_t size, bool greyscale, int displayEighths,
                    HeaderInfo* info) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  InstallErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), &err);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return err.status;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  ConfigureDecoder(&cinfo, greyscale, displayEighths);
  info->width = static_cast<int>(cinfo.image_width);
  info->height = static_cast<int>(cinfo.image_height);
  if (displayEighths > 0) {
    jpeg_calc_output_dimensions(&cinfo);
    info->width = static_cast<int>(cinfo.output_width);
    info->height = static_cast<int>(cinfo.output_height);
  }
  info->components = cinfo.num_components;
  info->progressive = jpeg_has_multiple_scans(&cinfo);
  info->kind = KindOf(&cinfo);
  info->invertedCmyk = cinfo.saw_Adobe_marker;
  jpeg_destroy_decompress(&cinfo);
  return {};
}

Status DecodeAt(DecodeJob* job, int displayEighths) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  ScanLimit limit;
  InstallErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), &err);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return err.status;
  }
  jpeg_create_decompress(&cinfo);
  limit.pub.progress_monitor = CheckScans;
  limit.err = &err;
  cinfo.progress = &limit.pub;
  jpeg_mem_src(&cinfo, job->data, static_cast<unsigned long>(job->size));
  jpeg_read_header(&cinfo, TRUE);
  ConfigureDecoder(&cinfo, job->greyscale, displayEighths);
  jpeg_start_decompress(&cinfo);

  if (job->kind == OutputKind::GreyPalette) {
    job->greyLevelCount = cinfo.actual_number_of_colors;
    for (int i = 0; i < cinfo.actual_number_of_colors && i < 256; ++i) {
      job->greyLevels[i] = cinfo.colormap[0][i];
    }
  }
  JSAMPARRAY scratch = nullptr;
  if (job->kind == OutputKind::Cmyk) {
    scratch = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                         cinfo.output_width * 4, 1);
  }
  const bool inverted = cinfo.saw_Adobe_marker;
  if (job->sink) {
    // Rows go to the sink in batches through a buffer of sinkRows rows.
    while (cinfo.output_scanline < cinfo.output_height) {
      const int first = static_cast<int>(cinfo.output_scanline);
      int filled = 0;
      while (filled < job->sinkRows && cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {job->pixels + job->stride * filled};
        filled += static_cast<int>(jpeg_read_scanlines(&cinfo, rows, 1));
      }
      if (!job->sink(job->sinkContext, job->pixels, job->stride, first, filled)) {
        jpeg_destroy_decompress(&cinfo);
        return Status{kStoppedBySink};
      }
    }
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint8_t* row = job->pixels + job->stride * cinfo.output_scanline;
    if (scratch) {
      jpeg_read_scanlines(&cinfo, scratch, 1);
      if (job->cmykToBgr)
        job->cmykToBgr(job->cmykContext, scratch[0], row, static_cast<int>(cinfo.output_width));
      else
        CmykToBgr(scratch[0], row, cinfo.output_width, inverted);
    } else {
      JSAMPROW rows[1] = {row};
      jpeg_read_scanlines(&cinfo, rows, 1);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return {};
}

}  // namespace

Status ReadHeader(const std::uint8_t* data, std::size_t size, bool greyscale, HeaderInfo* info) {
  return ReadHeaderAt(data, size, greyscale, 0, info);
}

Status ReadScaledHeader(const std::uint8_t* data, std::size_t size, int eighths, HeaderInfo* info) {
  return ReadHeaderAt(data, size, false, eighths, info);
}

Status Decode(DecodeJob* job) {
  return DecodeAt(job, 0);
}

Status DecodeScaled(DecodeJob* job, int eighths) {
  return DecodeAt(job, eighths);
}

Status Encode(EncodeJob* job) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  VectorDestination dest;
  InstallErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), &err);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    job->output->clear();
    return err.status;
  }
  jpeg_create_compress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxJpegMemory;
  UseVectorDestination(&cinfo, &dest, job->output, &err);
  cinfo.image_width = static_cast<JDIMENSION>(job->width);
  cinfo.image_height = static_cast<JDIMENSION>(job->height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  cinfo.dct_method = JDCT_FLOAT;
  jpeg_set_quality(&cinfo, job->quality, TRUE);
  if (job->greyscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  if (job->progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW rows[1] = {const_cast<JSAMPROW>(job->pixels + job->stride * cinfo.next_scanline)};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return {};
}

const char* OwnMessage(int code) {
  switch (code) {
    case kTooManyScans:
      return "JPEG error: more than 100 progressive scans";
    case kOutOfMemory:
      return "Out of memory";
    case kStoppedBySink:
      return "JPEG decoding stopped";
    case kDataEndsEarly:
      return "JPEG file is damaged: data ends early";
    default:
      return nullptr;
  }
}

}  // namespace pixtrel::jpegbridge
