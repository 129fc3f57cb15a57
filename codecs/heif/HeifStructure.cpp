#include "codecs/heif/HeifStructure.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "codecs/heif/HeifBoxes.h"
#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {

using namespace heifboxes;

// Walking stops a little past a limit: the count is then only known to be too large.
constexpr std::int64_t kCountCap = 1'000'000;

std::int64_t InfeCount(Bytes meta) {
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> iinf = FullBody(FindBox(meta, FourCc("iinf")), version, flags);
  const std::size_t countBytes = version == 0 ? 2 : 4;
  if (!iinf || iinf->size() < countBytes) return 0;
  std::int64_t count = 0;
  BoxWalk walk(iinf->subspan(countBytes));
  while (const std::optional<Box> box = walk.next()) {
    if (box->type == FourCc("infe") && ++count >= kCountCap) break;
  }
  return count;
}

std::int64_t IlocCount(Bytes meta) {
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> iloc = FullBody(FindBox(meta, FourCc("iloc")), version, flags);
  if (!iloc || version > 2) return 0;
  FieldReader fields(*iloc);
  fields.read(2);  // field sizes
  const std::uint64_t count = fields.read(version < 2 ? 2 : 4);
  // Every entry takes at least an ID, a data reference index and an extent count.
  const std::uint64_t fit = iloc->size() / 6;
  return fields.failed() ? 0 : static_cast<std::int64_t>(std::min(count, fit));
}

bool IsDerivedType(std::uint32_t type) {
  return type == FourCc("grid") || type == FourCc("iden") || type == FourCc("iovl");
}

// The items libheif takes for pictures, with their types. An item entry older than version 2
// has no type: libheif never takes it for a picture.
std::unordered_map<std::uint32_t, std::uint32_t> PictureItems(Bytes meta) {
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> iinf = FullBody(FindBox(meta, FourCc("iinf")), version, flags);
  const std::size_t countBytes = version == 0 ? 2 : 4;
  std::unordered_map<std::uint32_t, std::uint32_t> pictures;
  if (!iinf || iinf->size() < countBytes) return pictures;
  BoxWalk walk(iinf->subspan(countBytes));
  std::int64_t count = 0;
  while (const std::optional<Box> box = walk.next()) {
    if (box->type != FourCc("infe") || ++count >= kCountCap) continue;
    int infeVersion = 0;
    const std::optional<Bytes> body = FullBody(box, infeVersion, flags);
    if (!body || infeVersion < 2) continue;
    FieldReader fields(*body);
    const auto id = static_cast<std::uint32_t>(fields.read(infeVersion == 2 ? 2 : 4));
    fields.read(2);  // protection index
    const auto type = static_cast<std::uint32_t>(fields.read(4));
    if (fields.failed()) continue;
    if (type == FourCc("hvc1") || type == FourCc("av01") || IsDerivedType(type))
      pictures.emplace(id, type);
  }
  return pictures;
}

struct References {
  std::int64_t count = 0;
  std::unordered_map<std::uint32_t, std::vector<std::uint32_t>>
      derivedFrom;  // dimg: item -> inputs
};

// Read as libheif 1.15 reads it: one reference after another, each one's header, source and
// targets, without heeding the sizes the reference boxes give. A size that disagrees with its
// content would otherwise hide from this check the references libheif goes on to use.
References ReadReferences(Bytes meta) {
  References references;
  int version = 0;
  std::uint32_t flags = 0;
  const std::optional<Bytes> iref = FullBody(FindBox(meta, FourCc("iref")), version, flags);
  if (!iref) return references;
  const std::size_t idBytes = version == 0 ? 2 : 4;
  FieldReader fields(*iref);
  while (!fields.atEnd()) {
    const std::uint64_t size = fields.read(4);
    const auto type = static_cast<std::uint32_t>(fields.read(4));
    if (size == 1) fields.read(8);
    if (type == FourCc("uuid")) fields.skip(16);
    const auto from = static_cast<std::uint32_t>(fields.read(idBytes));
    const std::uint64_t count = fields.read(2);
    if (fields.failed()) break;
    for (std::uint64_t i = 0; i < count; ++i) {
      const auto to = static_cast<std::uint32_t>(fields.read(idBytes));
      if (fields.failed()) break;
      if (type == FourCc("dimg")) references.derivedFrom[from].push_back(to);
      if (++references.count >= kCountCap) return references;
      if (fields.atEnd()) break;
    }
  }
  return references;
}

// The longest chain of derivations below every item, without recursion (a chain may be as long
// as the file allows); a cycle makes it endless, counted as one more than the limit.
std::int64_t DerivationDepth(const References& references) {
  constexpr std::int64_t kEndless = kMaxHeifDerivationDepth + 1;
  std::unordered_map<std::uint32_t, std::int64_t> depth;  // finished items
  std::unordered_map<std::uint32_t, bool> onPath;
  std::int64_t deepest = 0;
  for (const auto& [start, inputs] : references.derivedFrom) {
    if (depth.count(start)) continue;
    // (item, index of the next input to look at)
    std::vector<std::pair<std::uint32_t, std::size_t>> path{{start, 0}};
    onPath[start] = true;
    while (!path.empty()) {
      auto& [item, next] = path.back();
      const auto found = references.derivedFrom.find(item);
      const std::vector<std::uint32_t>* below =
          found == references.derivedFrom.end() ? nullptr : &found->second;
      if (below && next < below->size()) {
        const std::uint32_t input = (*below)[next++];
        if (onPath[input]) return kEndless;
        if (!depth.count(input)) {
          if (static_cast<std::int64_t>(path.size()) > kEndless) return kEndless;
          path.emplace_back(input, 0);
          onPath[input] = true;
        }
        continue;
      }
      std::int64_t level = 0;
      if (below) {
        for (const std::uint32_t input : *below)
          level = std::max(level, depth[input] + 1);
      }
      depth[item] = level;
      onPath[item] = false;
      deepest = std::max(deepest, level);
      path.pop_back();
    }
  }
  return deepest;
}

[[noreturn]] void Refuse(std::int64_t count, const std::string& what, std::int64_t limit) {
  throw Exception("HEIF error: the file has " + std::to_string(count) +
                  (count >= kCountCap ? " or more " : " ") + what + " (at most " +
                  std::to_string(limit) + ")");
}

}  // namespace

HeifStructure ReadHeifStructure(std::span<const std::uint8_t> file) {
  HeifStructure structure;
  const std::optional<Bytes> meta = MetaBody(file);
  if (!meta) return structure;
  structure.items = std::max(InfeCount(*meta), IlocCount(*meta));
  const References references = ReadReferences(*meta);
  structure.references = references.count;
  structure.depth = DerivationDepth(references);
  const auto pictures = PictureItems(*meta);
  for (const auto& [item, inputs] : references.derivedFrom) {
    if (!pictures.count(item)) continue;
    for (const std::uint32_t input : inputs) {
      if (!pictures.count(input)) structure.derivedFromNonPicture = true;
    }
  }
  for (const auto& [item, type] : pictures) {
    const auto inputs = references.derivedFrom.find(item);
    if (IsDerivedType(type) && (inputs == references.derivedFrom.end() || inputs->second.empty())) {
      structure.derivedFromNothing = true;
    }
  }
  return structure;
}

void CheckHeifStructure(std::span<const std::uint8_t> file) {
  const HeifStructure structure = ReadHeifStructure(file);
  if (structure.items > kMaxHeifItems) Refuse(structure.items, "items", kMaxHeifItems);
  if (structure.references > kMaxHeifReferences)
    Refuse(structure.references, "item references", kMaxHeifReferences);
  if (structure.depth > kMaxHeifDerivationDepth) {
    throw Exception("HEIF error: images are derived from images more than " +
                    std::to_string(kMaxHeifDerivationDepth) + " levels deep");
  }
  // libheif 1.15 stops the process on such a file instead of failing its read.
  if (structure.derivedFromNonPicture)
    throw Exception("HEIF error: a derived image is made from an item that is not a picture");
  if (structure.derivedFromNothing)
    throw Exception("HEIF error: a derived image names no picture to be made from");
}

}  // namespace pixtrel
