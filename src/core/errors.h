// Status codes, the runtime-error handler and the program's only way out.
#pragma once

#include <cstdint>

using OSErr = std::int16_t;

constexpr OSErr noErr = 0;
constexpr OSErr dskFulErr = -34;    // disk full
constexpr OSErr ioErr = -36;        // read or write failed
constexpr OSErr eofErr = -39;       // end of file
constexpr OSErr fnfErr = -43;       // file not found
constexpr OSErr permErr = -54;      // permission denied
constexpr OSErr memFullErr = -108;  // out of memory
constexpr OSErr invalidMovieErr = -2048;

// Errors of file and system calls that a routine does not test itself. File
// system errors (-61..-33) and file-sharing errors (-5500..-4999) are
// tolerated and ignored; any other code shows "Critical Error <code>" and
// ends the program without saving.
void resetError(std::int32_t code);

// True for the codes resetError tolerates.
bool isToleratedError(std::int32_t code);

// Maps an errno value to the design's file error codes.
OSErr osErrFromErrno(int err);

// Ends the process with the given status. Tests replace the hook to observe
// the exit instead of dying.
using ExitHook = void (*)(int status);
extern ExitHook gExitHook;
[[noreturn]] void exitProgram(int status);
