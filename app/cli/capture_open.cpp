#include "capture_open.h"

#include "output.h"

namespace brv::cli {

int open_capture(const std::string& path, AcqFile& file) {
  if (file.open(path) != AcqOpenStatus::Ok) return fail(file.message(), path + ": " + file.detail());
  return 0;
}

int refuse_interrupted(const AcqFile& file) {
  if (file.interrupted()) return fail(kInterruptedText);
  if (file.truncated()) fail(kTruncatedText);
  return 0;
}

}  // namespace brv::cli
