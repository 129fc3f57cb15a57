#pragma once
// Whether the tests were built with AddressSanitizer. The sanitizer keeps freed memory aside and
// reserves its own, so a process's peak resident memory says little there about how much the
// program held at once.

namespace pixtrel::test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

}  // namespace pixtrel::test
