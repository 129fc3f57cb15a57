#include "codecs/jpeg/JpegErrorManager.h"

#include <jerror.h>

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

// The codec warns and goes on where it can still deliver a picture. A file that ends early has
// its missing part painted grey (a cut between progressive scans loses detail instead), and
// corrupt entropy data or a lost restart marker give garbage from there on: such a picture must
// not be taken for the file's content. Other warnings (extraneous bytes between segments, an
// odd progression, unknown marker revisions) leave the picture whole and are dropped.
int DamageOf(int warning) {
  switch (warning) {
    case JWRN_JPEG_EOF:
      return kDataEndsEarly;
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
      return kCorruptData;
    default:
      return 0;
  }
}

void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  ErrorManager* err = ManagerOf(cinfo);
  if (err->tolerateDamage) return;
  if (const int damage = DamageOf(err->pub.msg_code)) FailWithCodecText(cinfo, damage);
}

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
