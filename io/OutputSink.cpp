#include "io/OutputSink.h"

#include <utility>

#include "io/SafeWrite.h"

namespace pixtrel {
namespace {

class ImmediateSink : public OutputSink {
 public:
  void put(const FilePath& file, std::span<const std::uint8_t> bytes) override {
    WriteFileAtomically(file, bytes);
  }
};

}  // namespace

OutputSink& WriteAtOnce() {
  static ImmediateSink sink;  // stateless: shared by every thread
  return sink;
}

void CollectingSink::put(const FilePath& file, std::span<const std::uint8_t> bytes) {
  files_.push_back({file, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
}

void CollectingSink::put(const FilePath& file, std::vector<std::uint8_t>&& bytes) {
  files_.push_back({file, std::move(bytes)});
}

void CollectingSink::commit(const std::filesystem::path& source) const {
  for (const File& f : files_) {
    WriteFileAtomically(
        f.target, f.bytes,
        f.target.path == source ? LinkHandling::WriteThrough : LinkHandling::Replace);
  }
}

std::size_t CollectingSink::size() const {
  std::size_t total = 0;
  for (const File& f : files_)
    total += f.bytes.size();
  return total;
}

}  // namespace pixtrel
