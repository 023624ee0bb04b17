// The one place where FFmpeg's error numbers become the program's result codes.
#pragma once

#include <string>

#include "core/errors.h"

namespace av {

// Maps an FFmpeg error (a negative AVERROR value) to a result code: a missing
// file fnfErr, a refused one permErr, memory memFullErr, a read failure ioErr,
// anything about the content `otherwise` (invalidMovieErr by default).
OSErr toOSErr(int averror, OSErr otherwise = invalidMovieErr);

// FFmpeg's text for an error, for messages.
std::string errorText(int averror);

}  // namespace av
