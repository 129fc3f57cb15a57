#pragma once
// Owning wrappers for libheif's handles, and the one place its error results become Exceptions.
#include <libheif/heif.h>

#include <memory>
#include <string>

#include "core/Errors.h"

namespace pixtrel::heif {

struct ContextFree {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
  void operator()(const heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
  void operator()(const heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<const heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<const heif_image, ImageRelease>;
using Options = std::unique_ptr<heif_decoding_options, OptionsFree>;

[[noreturn]] inline void Fail(const std::string& reason) {
  throw Exception("HEIF error: " + reason);
}

// libheif's message may live in the context, so it is copied into the exception at once
// (without the line end some messages carry).
inline void Check(const heif_error& error) {
  if (error.code == heif_error_Ok) return;
  std::string reason = error.message ? error.message : "";
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
    reason.pop_back();
  Fail(reason.empty() ? "cannot read the file" : reason);
}

}  // namespace pixtrel::heif
