#include "formats/JpegErrorManager.h"

namespace pixtrel::jpegbridge {
namespace {

ErrorManager* ManagerOf(j_common_ptr cinfo) {
  return reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void FailWithCodecText(j_common_ptr cinfo, int code) {
  ErrorManager* err = ManagerOf(cinfo);
  err->status.code = code;
  (*err->pub.format_message)(cinfo, err->status.text);
  std::longjmp(err->jump, 1);
}

void ErrorExit(j_common_ptr cinfo) {
  FailWithCodecText(cinfo, ManagerOf(cinfo)->pub.msg_code);
}

// Warnings (corrupt or cut-off data the codec can still decode) are dropped.
void EmitMessage(j_common_ptr, int) {}

void OutputMessage(j_common_ptr) {}

}  // namespace

void InstallErrorManager(j_common_ptr cinfo, ErrorManager* err, bool tolerateDamage) {
  cinfo->err = jpeg_std_error(&err->pub);
  err->pub.error_exit = ErrorExit;
  err->pub.emit_message = EmitMessage;
  err->pub.output_message = OutputMessage;
  err->status = Status{};
  err->tolerateDamage = tolerateDamage;
}

void FailWith(ErrorManager* err, int code) {
  err->status = Status{};
  err->status.code = code;
  std::longjmp(err->jump, 1);
}

}  // namespace pixtrel::jpegbridge
