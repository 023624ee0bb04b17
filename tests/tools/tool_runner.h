// Runs lumaroll-tool as a separate process and collects what it prints.
#pragma once

#include <string>

struct ToolResult {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// `args` is appended to the tool's path as a shell command line; every
// argument must already be quoted by the caller where needed.
ToolResult runTool(const std::string& args);
std::string shellQuote(const std::string& s);
