#pragma once
// Where a per-file operation's finished files go. A batch collects them in memory and writes
// them itself, in list order, once the files before are written; a plain call writes at once.
#include <cstdint>
#include <span>
#include <vector>

#include "io/FilePath.h"

namespace pixtrel {

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // A complete file: where it goes and all its bytes.
  virtual void put(const FilePath& file, std::span<const std::uint8_t> bytes) = 0;
  // The same for bytes the caller gives up: a sink that holds files keeps them without a copy.
  virtual void put(const FilePath& file, std::vector<std::uint8_t>&& bytes) {
    put(file, std::span<const std::uint8_t>(bytes));
  }
};

// The sink that writes each file at once with WriteFileAtomically (a link at an output's name is
// replaced, never written through).
OutputSink& WriteAtOnce();

// Holds the files in memory, in the order given, until commit() writes them.
class CollectingSink : public OutputSink {
 public:
  struct File {
    FilePath target;
    std::vector<std::uint8_t> bytes;
  };

  void put(const FilePath& file, std::span<const std::uint8_t> bytes) override;
  void put(const FilePath& file, std::vector<std::uint8_t>&& bytes) override;
  // Writes the files with WriteFileAtomically, in order; the first failure is thrown and the
  // files after it are not written. An output at the source's own path (the overwrite mode: the
  // user chose that file) is written through a link to the file it names; at any other name a
  // link is replaced.
  void commit(const std::filesystem::path& source) const;
  const std::vector<File>& files() const { return files_; }
  // The bytes held, for the batch's memory budget.
  std::size_t size() const;

 private:
  std::vector<File> files_;
};

}  // namespace pixtrel
