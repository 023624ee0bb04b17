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

// True for the codes that resetError (platform/critical_error.h) tolerates:
// file system errors (-61..-33) and file-sharing errors (-5500..-4999).
bool isToleratedError(std::int32_t code);

// Maps an errno value to the program's file error codes (fnfErr, ioErr...).
OSErr osErrFromErrno(int err);

// Ends the process with the given status. Tests replace the hook to observe
// the exit instead of dying.
using ExitHook = void (*)(int status);
extern ExitHook gExitHook;
[[noreturn]] void exitProgram(int status);
