#include "core/errors.h"

#include <cerrno>
#include <cstdlib>

ExitHook gExitHook = nullptr;

void exitProgram(int status) {
  if (gExitHook) gExitHook(status);
  std::exit(status);
}

bool isToleratedError(std::int32_t code) { return (code >= -61 && code <= -33) || (code >= -5500 && code <= -4999); }

OSErr osErrFromErrno(int err) {
  switch (err) {
    case 0: return noErr;
    case ENOENT:
    case ENOTDIR: return fnfErr;
    case ENOSPC:
    case EDQUOT: return dskFulErr;
    case EACCES:
    case EPERM:
    case EROFS: return permErr;
    case ENOMEM: return memFullErr;
    default: return ioErr;
  }
}
