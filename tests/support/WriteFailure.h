#pragma once
// Writes that fail as on a full disk, for the tests of what a failed write leaves behind.

namespace pixtrel {

// From now on every output write fails once it has written this many bytes of its file (an
// empty file fails at once); -1 turns it off again.
void InjectWriteFailureAfter(long long bytes) noexcept;

}  // namespace pixtrel
