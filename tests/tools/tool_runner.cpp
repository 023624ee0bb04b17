#include "tool_runner.h"

#include <sys/wait.h>

#include <cstdio>
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
  const std::string cmd = std::string(LUMAROLL_TOOL) + " " + args + " >" + shellQuote(out) + " 2>" + shellQuote(err);
  ToolResult r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = readFileBytes(out);
  r.err = readFileBytes(err);
  return r;
}
