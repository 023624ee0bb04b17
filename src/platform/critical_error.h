// The runtime-error handler: the one alert that ends the program.
#pragma once

#include <cstdint>
#include <string>

#include "core/errors.h"
#include "platform/toolbox.h"

// Errors of file and system calls that a routine does not test itself. File
// system errors (-61..-33) and file-sharing errors (-5500..-4999) are
// tolerated and ignored; any other code shows "Critical Error <code>" and
// ends the program without saving.
inline void resetError(std::int32_t code) {
  if (code == 0 || isToleratedError(code)) return;
  myStopAlert("Critical Error " + std::to_string(code),
              "Sorry, but a critial error has occurred and Lumaroll must quit.", "Quit");
  exitProgram(0);
}
