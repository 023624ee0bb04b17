#include "platform/ffmpeg/av_error.h"

#include <array>
#include <cerrno>

extern "C" {
#include <libavutil/error.h>
}

namespace av {

OSErr toOSErr(int averror, OSErr otherwise) {
  if (averror >= 0) return noErr;
  switch (averror) {
    case AVERROR(ENOENT):
    case AVERROR(ENOTDIR):
    case AVERROR(ENAMETOOLONG): return fnfErr;
    case AVERROR(EACCES):
    case AVERROR(EPERM): return permErr;
    case AVERROR(ENOMEM): return memFullErr;
    case AVERROR(EIO): return ioErr;
    default: return otherwise;
  }
}

std::string errorText(int averror) {
  std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
  av_strerror(averror, text.data(), text.size());
  return text.data();
}

}  // namespace av
