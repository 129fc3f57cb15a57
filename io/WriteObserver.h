#pragma once
// A watch on the output writes, for tests: a write that fails as on a full disk, a signal at a
// known point of a run. None is set unless a test or a test run asks for one.
#include <cstddef>
#include <string_view>

namespace pixtrel {

class WriteObserver {
 public:
  virtual ~WriteObserver() = default;
  // Before each write of a chunk of an output, and once with chunk 0 for an empty output:
  // written is what this output has written so far. May make chunk smaller (never 0 when it
  // was not); false makes the write fail as on a full disk.
  virtual bool beforeWrite(std::size_t written, std::size_t& chunk) = 0;
  // After bytes of an output were written.
  virtual void afterWrite(std::size_t bytes) = 0;
};

// The observer of every output write from now on (nullptr: none); not owned. Set it while no
// write is under way.
void SetWriteObserver(WriteObserver* observer) noexcept;
WriteObserver* CurrentWriteObserver() noexcept;

// An observer that raises a signal once the process has written a number of bytes of its
// outputs, inside the write that crosses that number, with that write's temporary file in hand:
// for tests that interrupt a run at a known point. From the text "BYTES SIGNAL" (the value of
// the test runs' PIXTREL_TEST_SIGNAL_AFTER_BYTES); nothing is set for any other text.
void SignalAfterBytes(std::string_view bytesAndSignal);

}  // namespace pixtrel
