#include "imaging/TapListCache.h"

#include <array>
#include <bit>
#include <cstdint>

namespace pixtrel {
namespace {

// Lists kept per thread: both directions of two picture sizes.
constexpr std::size_t kKept = 4;
// Larger lists (some megabytes) are rare and cheap to build next to their picture's work.
constexpr int kMaxKeptTaps = 1 << 18;

struct Kept {
  int sourceLength = 0;
  int targetLength = 0;
  FilterFunction filter = nullptr;
  std::uint32_t supportBits = 0;  // compared bit for bit
  std::shared_ptr<const TapLists> lists;
};

}  // namespace

std::shared_ptr<const TapLists> SharedTapLists(int sourceLength, int targetLength,
                                               FilterFunction filter, float support) {
  thread_local std::array<Kept, kKept> kept;
  thread_local std::size_t next = 0;
  const auto bits = std::bit_cast<std::uint32_t>(support);
  for (const Kept& k : kept) {
    if (k.lists && k.sourceLength == sourceLength && k.targetLength == targetLength &&
        k.filter == filter && k.supportBits == bits) {
      return k.lists;
    }
  }
  auto lists = std::make_shared<const TapLists>(sourceLength, targetLength, filter, support);
  if (lists->starts()[lists->size()] <= static_cast<std::size_t>(kMaxKeptTaps)) {
    kept[next] = Kept{sourceLength, targetLength, filter, bits, lists};
    next = (next + 1) % kKept;
  }
  return lists;
}

}  // namespace pixtrel
