#pragma once
// Where the encoder writes: a byte vector the caller owns. libjpeg's own memory destination
// frees its first buffer when it grows and hands the live pointer back only when encoding
// finishes, so an error in between would leave the caller a stale pointer; here the bytes are
// the caller's on every path. Only the bridge's files include this.
#include <cstddef>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE
#include <vector>

#include <jpeglib.h>

#include "codecs/jpeg/JpegErrorManager.h"

namespace pixtrel::jpegbridge {

struct VectorDestination {
  jpeg_destination_mgr pub;
  std::vector<std::uint8_t>* bytes;
  std::size_t limit;
  ErrorManager* err;  // growth beyond the limit or the heap ends the encoding: kOutOfMemory
};

// Makes dest the encoder's destination; bytes is cleared and holds exactly the encoded data
// once jpeg_finish_compress returns.
void UseVectorDestination(j_compress_ptr cinfo, VectorDestination* dest,
                          std::vector<std::uint8_t>* bytes, ErrorManager* err);

}  // namespace pixtrel::jpegbridge
