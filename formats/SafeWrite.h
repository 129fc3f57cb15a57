#pragma once
// Writing a finished file so that nothing is lost when the write fails: the bytes go to a
// temporary file in the target's folder, which replaces the target only once it is complete.
#include <cstdint>
#include <filesystem>
#include <span>

namespace pixtrel {

// Writes bytes to path atomically:
//  - the temporary file is created exclusively beside the target, written fully and synced;
//  - it takes the replaced file's mode (and owner where permitted);
//  - it is renamed over the target and the folder is synced;
//  - a symbolic link is written through: the file it names is replaced, the link stays;
//  - on any failure the temporary file is removed and the target is untouched.
// Fails with "Cannot create file %s" when the temporary file cannot be made, and with
// "Cannot write file %s: <reason>" when writing or renaming fails.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Removes the temporary file of a write in progress, if any. Async-signal-safe: for use from a
// SIGINT/SIGTERM handler before the process ends.
void RemovePendingTemporaryFile() noexcept;

// Test hook: when set, the next writes fail after writing this many bytes (-1: off).
void InjectWriteFailureAfter(long long bytes) noexcept;

}  // namespace pixtrel
