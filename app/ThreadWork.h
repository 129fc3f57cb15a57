#pragma once
// A batch's work on a thread of its own: whatever it throws becomes the message the window shows,
// never the end of the program.
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

namespace pixtrel {

// Nothing when work ran to its end; otherwise the message of what stopped it.
inline std::optional<std::string> FailureOf(const std::function<void()>& work) {
  try {
    work();
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& e) {
    return std::string(e.what());
  } catch (...) {
    return "Unknown error";
  }
}

}  // namespace pixtrel
