#include "codecs/jpeg/JpegDestination.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "core/Limits.h"

namespace pixtrel::jpegbridge {
namespace {

std::atomic<std::size_t> encodedSizeLimit{static_cast<std::size_t>(kMaxFileBytes)};

constexpr std::size_t kFirstBufferBytes = std::size_t{64} << 10;

VectorDestination* DestinationOf(j_compress_ptr cinfo) {
  return reinterpret_cast<VectorDestination*>(cinfo->dest);
}

// Makes room past the used bytes, doubling, at least `first` bytes; false when the limit or the
// heap says no. Called from inside libjpeg, so nothing may be thrown from here.
bool Grow(VectorDestination* dest, std::size_t used,
          std::size_t first = kFirstBufferBytes) noexcept {
  const std::size_t wanted = std::min(std::max(used * 2, first), dest->limit);
  if (wanted <= used) return false;
  try {
    dest->bytes->resize(wanted);
  } catch (...) {
    return false;
  }
  dest->pub.next_output_byte = dest->bytes->data() + used;
  dest->pub.free_in_buffer = wanted - used;
  return true;
}

void InitDestination(j_compress_ptr cinfo) {
  VectorDestination* dest = DestinationOf(cinfo);
  dest->bytes->clear();
  // A photo at the usual qualities takes one to three bits a sample: starting at one bit a
  // sample spares most of the copies (and zero-fills) of growing from a small buffer.
  const std::size_t samples = static_cast<std::size_t>(cinfo->image_width) * cinfo->image_height *
                              static_cast<std::size_t>(std::max(cinfo->input_components, 1));
  if (!Grow(dest, 0, std::max(samples / 8, kFirstBufferBytes))) FailWith(dest->err, kOutOfMemory);
}

// libjpeg calls this with the whole buffer full.
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  VectorDestination* dest = DestinationOf(cinfo);
  if (!Grow(dest, dest->bytes->size())) FailWith(dest->err, kOutOfMemory);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  VectorDestination* dest = DestinationOf(cinfo);
  dest->bytes->resize(dest->bytes->size() - dest->pub.free_in_buffer);  // shrinks: cannot throw
}

}  // namespace

void UseVectorDestination(j_compress_ptr cinfo, VectorDestination* dest,
                          std::vector<std::uint8_t>* bytes, ErrorManager* err) {
  dest->pub.init_destination = InitDestination;
  dest->pub.empty_output_buffer = EmptyOutputBuffer;
  dest->pub.term_destination = TermDestination;
  dest->pub.next_output_byte = nullptr;
  dest->pub.free_in_buffer = 0;
  dest->bytes = bytes;
  dest->limit = EncodedSizeLimit();
  dest->err = err;
  cinfo->dest = &dest->pub;
}

std::size_t EncodedSizeLimit() {
  return encodedSizeLimit.load();
}
void SetEncodedSizeLimit(std::size_t bytes) {
  encodedSizeLimit.store(bytes);
}

}  // namespace pixtrel::jpegbridge
