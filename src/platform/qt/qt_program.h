// The desktop program's life on the Qt toolbox: the toolkit opened over the
// command line, the program started, the event loop run.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Says so and returns 1 when there is no display to open a window on.
// Otherwise opens the toolkit (which takes its own options off the command
// line) and calls `start` with the arguments it left, without the program's
// name. When `start` returns false the program ends with status 0; otherwise
// the event loop runs and its status is returned.
int runDesktopProgram(int argc, char** argv, const std::function<bool(const std::vector<std::string>&)>& start);
