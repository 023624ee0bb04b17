#include "tool_runner.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_dir.h"

std::string shellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

ToolResult runTool(const std::string& args) {
  TempDir dir;
  const std::string out = dir.file("out"), err = dir.file("err");
  const int raw =
      std::system((std::string(LUMAROLL_TOOL) + " " + args + " >" + shellQuote(out) + " 2>" + shellQuote(err)).c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFileBytes(out), readFileBytes(err)};
}
