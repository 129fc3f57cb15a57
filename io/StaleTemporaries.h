#pragma once
// Temporary files that an ended process left behind. A write goes through a temporary file
// ".NAME.pixtrel-XXXXXXXX.tmp" beside its target; an interrupt removes the one in hand, but a
// process that is killed outright (or loses power) cannot.
#include <chrono>
#include <filesystem>
#include <string_view>

namespace pixtrel {

// True for a name of our temporary files: "." NAME ".pixtrel-" eight of [0-9a-z] ".tmp".
bool IsOurTemporaryName(std::string_view name);

// Removes the regular files in folder (not below it) whose names are ours and that were last
// written more than maxAge ago; younger ones may belong to a write in progress. Silent: a file
// that cannot be removed, or a folder that cannot be read, is left as it is.
void RemoveStaleTemporaries(const std::filesystem::path& folder,
                            std::chrono::seconds maxAge = std::chrono::minutes(1)) noexcept;

}  // namespace pixtrel
