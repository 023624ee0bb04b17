#include "core/errors.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/toolbox.h"

ExitHook gExitHook = nullptr;

void exitProgram(int status) {
  if (gExitHook) gExitHook(status);
  std::exit(status);
}

bool isToleratedError(std::int32_t code) {
  return (code >= -61 && code <= -33) || (code >= -5500 && code <= -4999);
}

void resetError(std::int32_t code) {
  if (code == 0 || isToleratedError(code)) return;
  myStopAlert("Critical Error " + std::to_string(code),
              "Sorry, but a critial error has occurred and Lumaroll must quit.", "Quit");
  exitProgram(0);
}

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
