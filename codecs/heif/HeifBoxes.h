// Reading the boxes of a HEIF file ourselves, for what libheif cannot be asked before it decodes:
// the primary image's size from a file's first bytes, and the canvas a derived image claims.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/ByteOrder.h"

namespace pixtrel::heifboxes {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint32_t FourCc(const char (&name)[5]) {
  return std::uint32_t(name[0]) << 24 | std::uint32_t(name[1]) << 16 | std::uint32_t(name[2]) << 8 |
         std::uint32_t(name[3]);
}

struct Box {
  std::uint32_t type = 0;
  Bytes body;
};

// The boxes of a range one after the other. The head of a file may end inside a box: such a box
// is cut to what is there, and the walk ends with it.
class BoxWalk {
 public:
  explicit BoxWalk(Bytes bytes) : rest_(bytes) {}
  std::optional<Box> next();

 private:
  Bytes rest_;
};

// Reads big-endian fields of 0, 2, 4 or 8 bytes; any read past the end makes it fail for good.
class FieldReader {
 public:
  explicit FieldReader(Bytes bytes) : bytes_(bytes) {}
  std::uint64_t read(std::size_t size) {
    if (failed_ || (size != 0 && size != 2 && size != 4 && size != 8) ||
        bytes_.size() - at_ < size) {
      failed_ = true;
      return 0;
    }
    const std::uint8_t* p = bytes_.data() + at_;
    at_ += size;
    return size == 0 ? 0 : size == 2 ? Be16(p) : size == 4 ? Be32(p) : Be64(p);
  }
  void skip(std::size_t size) {
    if (failed_ || bytes_.size() - at_ < size) {
      failed_ = true;
      return;
    }
    at_ += size;
  }
  bool failed() const { return failed_; }
  bool atEnd() const { return failed_ || at_ == bytes_.size(); }

 private:
  Bytes bytes_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

std::optional<Box> FindBox(Bytes bytes, std::uint32_t type);

// A full box's body past its version and flags.
std::optional<Bytes> FullBody(const std::optional<Box>& box, int& version, std::uint32_t& flags);

// The meta box's body (past its version and flags), when the file has one.
std::optional<Bytes> MetaBody(Bytes file);

std::optional<std::uint32_t> PrimaryItem(Bytes meta);

// The property boxes (from iprp's ipco) that ipma associates with the primary item, in order;
// empty when the boxes are missing or damaged.
std::vector<Box> PrimaryItemProperties(Bytes meta);

}  // namespace pixtrel::heifboxes
