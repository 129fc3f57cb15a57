#pragma once
// Writing a finished file so that nothing is lost when the write fails: the bytes go to a
// temporary file in the target's folder, which replaces the target only once it is complete.
#include <cstdint>
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

// Writes bytes to path atomically:
//  - the temporary file is created exclusively (never through a link) beside the target, with a
//    name short enough for any target name the file system allows; written fully and synced;
//  - it takes the replaced file's mode (and owner where permitted);
//  - it is renamed over the target and the folder is synced;
//  - on any failure the temporary file is removed and the target is untouched.
// Fails with "Cannot create file %s: <reason>" (%s: the file as shown) when the temporary file
// cannot be made (the system's reason: permission, read-only, name too long, a file where a
// folder should be), and with "Cannot write file %s: <reason>" when writing or renaming fails.
void WriteFileAtomically(const FilePath& file, std::span<const std::uint8_t> bytes,
                         LinkHandling links = LinkHandling::Replace);

// The name of the temporary file for a target named `name`: ".NAME.pixtrel-XXXXXXXX.tmp", with
// NAME shortened (at a character boundary) so the whole stays within 255 bytes.
std::string TemporaryFileName(const std::string& name, const std::string& random);

// Removes the temporary file of a write in progress, if any. Async-signal-safe: for use from a
// SIGINT/SIGTERM handler before the process ends.
void RemovePendingTemporaryFile() noexcept;

}  // namespace pixtrel
