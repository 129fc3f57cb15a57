#include "codecs/heif/HeifBoxes.h"

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

namespace {

// The 1-based indices into ipco of the properties ipma associates with the item.
std::vector<std::uint32_t> PropertiesOf(const std::optional<Box>& ipma, std::uint32_t item) {
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> body = FullBody(ipma, version, flags);
  if (!body || body->size() < 4) return {};
  const std::size_t idBytes = version < 1 ? 2 : 4, indexBytes = (flags & 1) ? 2 : 1;
  std::uint32_t entries = Be32(body->data());
  Bytes rest = body->subspan(4);
  for (; entries > 0 && rest.size() >= idBytes + 1; --entries) {
    const std::uint32_t id = idBytes == 2 ? Be16(rest.data()) : Be32(rest.data());
    const std::size_t count = rest[idBytes];
    rest = rest.subspan(idBytes + 1);
    if (rest.size() < count * indexBytes) return {};
    if (id == item) {
      std::vector<std::uint32_t> indices;
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = rest.data() + i * indexBytes;
        indices.push_back(indexBytes == 2 ? Be16(p) & 0x7FFF : p[0] & 0x7Fu);
      }
      return indices;
    }
    rest = rest.subspan(count * indexBytes);
  }
  return {};
}

}  // namespace

std::vector<Box> PrimaryItemProperties(Bytes meta) {
  const std::optional<std::uint32_t> primary = PrimaryItem(meta);
  const std::optional<Box> iprp = FindBox(meta, FourCc("iprp"));
  if (!primary || !iprp) return {};
  const std::optional<Box> ipco = FindBox(iprp->body, FourCc("ipco"));
  if (!ipco) return {};
  std::vector<Box> all;
  BoxWalk walk(ipco->body);
  while (const std::optional<Box> box = walk.next()) {
    all.push_back(*box);
  }
  std::vector<Box> properties;
  for (const std::uint32_t index : PropertiesOf(FindBox(iprp->body, FourCc("ipma")), *primary)) {
    if (index >= 1 && index <= all.size()) properties.push_back(all[index - 1]);
  }
  return properties;
}

}  // namespace pixtrel::heifboxes
