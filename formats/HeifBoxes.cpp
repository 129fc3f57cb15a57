#include "formats/HeifBoxes.h"

#include <algorithm>

namespace pixtrel::heifboxes {

std::optional<Box> BoxWalk::next() {
  if (rest_.size() < 8) return std::nullopt;
  std::uint64_t size = Be32(rest_.data());
  std::size_t header = 8;
  if (size == 1) {
    if (rest_.size() < 16) return std::nullopt;
    size = Be64(rest_.data() + 8);
    header = 16;
  } else if (size == 0) {
    size = rest_.size();  // to the end of the file
  }
  if (size < header) return std::nullopt;
  const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(size, rest_.size()));
  const Box box{Be32(rest_.data() + 4), rest_.subspan(header, length - header)};
  rest_ = rest_.subspan(length);
  return box;
}

std::optional<Box> FindBox(Bytes bytes, std::uint32_t type) {
  BoxWalk walk(bytes);
  while (const std::optional<Box> box = walk.next()) {
    if (box->type == type) return box;
  }
  return std::nullopt;
}

std::optional<Bytes> FullBody(const std::optional<Box>& box, int& version, std::uint32_t& flags) {
  if (!box || box->body.size() < 4) return std::nullopt;
  version = box->body[0];
  flags = Be32(box->body.data()) & 0xFFFFFF;
  return box->body.subspan(4);
}

std::optional<Bytes> MetaBody(Bytes file) {
  int version = 0;
  std::uint32_t flags = 0;
  return FullBody(FindBox(file, FourCc("meta")), version, flags);
}

std::optional<std::uint32_t> PrimaryItem(Bytes meta) {
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> body = FullBody(FindBox(meta, FourCc("pitm")), version, flags);
  if (!body || body->size() < (version == 0 ? 2u : 4u)) return std::nullopt;
  return version == 0 ? Be16(body->data()) : Be32(body->data());
}

}  // namespace pixtrel::heifboxes
