#include "metadata/IptcBlock.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "core/ByteOrder.h"

namespace pixtrel {
namespace {

constexpr std::uint16_t kIptcRecord = 0x0404;
constexpr std::uint16_t kCopyrightFlag = 0x040A;
constexpr std::uint16_t kCopyrightUrl = 0x040B;

// Record 2 datasets that locate the photo.
constexpr std::array<std::uint8_t, 7> kLocationDatasets = {26, 27, 90, 92, 95, 100, 101};

struct Resource {
  std::uint16_t id;
  std::span<const std::uint8_t> data;
};

// The resources in order; nothing when one runs past the end or lacks its signature.
std::optional<std::vector<Resource>> ReadResources(std::span<const std::uint8_t> bytes) {
  std::vector<Resource> resources;
  std::size_t at = 0;
  while (at < bytes.size()) {
    // Padding after the last resource.
    if (std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(),
                    [](std::uint8_t b) { return b == 0; }))
      break;
    if (bytes.size() - at < 12 || std::memcmp(&bytes[at], "8BIM", 4) != 0) return std::nullopt;
    const std::uint16_t id = Be16(&bytes[at + 4]);
    const std::size_t nameBytes = (1 + std::size_t{bytes[at + 6]} + 1) & ~std::size_t{1};
    const std::size_t sizeAt = at + 6 + nameBytes;
    if (sizeAt + 4 > bytes.size()) return std::nullopt;
    const std::size_t size = Be32(&bytes[sizeAt]);
    if (size > bytes.size() - sizeAt - 4) return std::nullopt;
    resources.push_back({id, bytes.subspan(sizeAt + 4, size)});
    at = sizeAt + 4 + ((size + 1) & ~std::size_t{1});
  }
  return resources;
}

// The IPTC-NAA record without the location datasets; nothing when it is damaged.
std::optional<std::vector<std::uint8_t>> WithoutLocation(std::span<const std::uint8_t> record) {
  std::vector<std::uint8_t> out;
  std::size_t at = 0;
  while (at < record.size()) {
    if (record[at] == 0 && std::all_of(record.begin() + static_cast<std::ptrdiff_t>(at),
                                       record.end(), [](std::uint8_t b) { return b == 0; }))
      break;
    if (record[at] != 0x1C || record.size() - at < 5) return std::nullopt;
    std::size_t header = 5, size = Be16(&record[at + 3]);
    if (size & 0x8000) {
      // An extended dataset: the low bits give how many bytes hold its length.
      const std::size_t lengthBytes = size & 0x7FFF;
      if (lengthBytes == 0 || lengthBytes > 4 || record.size() - at - 5 < lengthBytes)
        return std::nullopt;
      size = 0;
      for (std::size_t i = 0; i < lengthBytes; ++i)
        size = (size << 8) | record[at + 5 + i];
      header += lengthBytes;
    }
    if (size > record.size() - at - header) return std::nullopt;
    const std::size_t end = at + header + size;
    const bool location =
        record[at + 1] == 2 && std::find(kLocationDatasets.begin(), kLocationDatasets.end(),
                                         record[at + 2]) != kLocationDatasets.end();
    if (!location)
      out.insert(out.end(), record.begin() + static_cast<std::ptrdiff_t>(at),
                 record.begin() + static_cast<std::ptrdiff_t>(end));
    at = end;
  }
  return out;
}

void PutResource(std::vector<std::uint8_t>& out, std::uint16_t id,
                 std::span<const std::uint8_t> data) {
  const std::size_t size = data.size();
  out.insert(
      out.end(),
      {'8', 'B', 'I', 'M', static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id & 0xFF),
       0, 0, static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
       static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
  out.insert(out.end(), data.begin(), data.end());
  if (size % 2) out.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> EditIptc(std::span<const std::uint8_t> resources, bool dropLocation) {
  if (resources.empty() || resources.size() > kMaxIptcBytes) return {};
  const auto list = ReadResources(resources);
  if (!list) return {};
  std::vector<std::uint8_t> out;
  bool hasRecord = false;
  for (const Resource& resource : *list) {
    if (resource.id == kIptcRecord && !hasRecord) {
      const auto record = WithoutLocation(resource.data);
      if (!record) return {};
      hasRecord = true;
      if (dropLocation)
        PutResource(out, resource.id, *record);
      else
        PutResource(out, resource.id, resource.data);
    } else if (resource.id == kCopyrightFlag || resource.id == kCopyrightUrl) {
      PutResource(out, resource.id, resource.data);
    }
  }
  return hasRecord ? out : std::vector<std::uint8_t>{};
}

}  // namespace pixtrel
