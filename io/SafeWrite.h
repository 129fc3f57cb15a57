#pragma once
// Writing a finished file so that nothing is lost when the write fails: the bytes go to a
// temporary file in the target's folder, which replaces the target only once it is complete.
#include <cstdint>
#include <mutex>
#include <set>
#include <span>
#include <string>

#include "io/FilePath.h"

namespace pixtrel {

// What becomes of a symbolic link found under the target's name.
enum class LinkHandling {
  // The link itself is replaced by the new file; nothing is written where it points. For every
  // name the program chose (a prefix, the subfolder, a new extension): a link planted there by
  // someone else must not send the output elsewhere.
  Replace,
  // The file the link names is replaced and the link stays: for the overwrite mode, where the
  // user chose the very file to be replaced.
  WriteThrough,
};

// The new files of a batch made durable together at its end instead of one by one, which costs
// a batch of many small files most of its time. A write that replaces a file is still synced
// before its rename, since the user's own file is at stake; a new file that a crash cut short
// holds nothing anyone had.
class BatchDurability {
 public:
  BatchDurability() = default;
  BatchDurability(const BatchDurability&) = delete;
  BatchDurability& operator=(const BatchDurability&) = delete;
  ~BatchDurability() { sync(); }
  // Syncs the file systems of the folders written since the last call; false when the system
  // reported a failure for any.
  bool sync() noexcept;
  // A new file was renamed into folder without being synced.
  void wrote(const std::filesystem::path& folder);

 private:
  std::mutex mutex_;
  std::set<std::filesystem::path> folders_;
};

// Writes bytes to path atomically:
//  - the temporary file is created exclusively (never through a link) beside the target, with a
//    name short enough for any target name the file system allows; written fully and synced;
//  - it takes the replaced file's mode (and owner where permitted);
//  - it is renamed over the target and the folder is synced;
//  - with a batch given, a new file (none is replaced) is neither synced nor its folder: the
//    batch syncs them when it ends;
//  - on any failure the temporary file is removed and the target is untouched.
// Fails with "Cannot create file %s: <reason>" (%s: the file as shown) when the temporary file
// cannot be made (the system's reason: permission, read-only, name too long, a file where a
// folder should be), and with "Cannot write file %s: <reason>" when writing or renaming fails.
void WriteFileAtomically(const FilePath& file, std::span<const std::uint8_t> bytes,
                         LinkHandling links = LinkHandling::Replace,
                         BatchDurability* batch = nullptr);

// The name of the temporary file for a target named `name`: ".NAME.pixtrel-XXXXXXXX.tmp", with
// NAME shortened (at a character boundary) so the whole stays within 255 bytes.
std::string TemporaryFileName(const std::string& name, const std::string& random);

// Removes the temporary file of a write in progress, if any. Async-signal-safe: for use from a
// SIGINT/SIGTERM handler before the process ends.
void RemovePendingTemporaryFile() noexcept;

}  // namespace pixtrel
