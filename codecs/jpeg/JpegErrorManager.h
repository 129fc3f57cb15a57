#pragma once
// How the JPEG bridge hears from libjpeg: errors jump back to the bridge's setjmp with the
// codec's code and text; warnings that mean picture data was lost do the same, the rest are
// dropped. Only the bridge's files include this (it brings in libjpeg's headers).
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE

#include <jpeglib.h>

#include "codecs/jpeg/JpegBridge.h"

namespace pixtrel::jpegbridge {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  Status status;
  // Display-only decoding shows what a damaged file still gives; every other use refuses it.
  bool tolerateDamage;
};

void InstallErrorManager(j_common_ptr cinfo, ErrorManager* err, bool tolerateDamage = false);

// Ends the libjpeg call in progress with one of our own codes (no codec text).
[[noreturn]] void FailWith(ErrorManager* err, int code);

}  // namespace pixtrel::jpegbridge
