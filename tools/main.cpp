// lumaroll-tool: the command-line companion of Lumaroll. It runs the same
// code as the program, without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/commands.h"

namespace {

const ToolCommand kCommands[] = {
    {"dump", "dump [--db PATH]", cmdDump},
    {"check", "check [--db PATH] [--rewrite]", cmdCheck},
    {"genres", "genres", cmdGenres},
    {"eval", "eval [consistency|movies|words] [--db PATH]", cmdEval},
    {"export-snd", "export-snd FILE (--part N | --at SECONDS)", cmdExportSnd},
    {"play", "play FILE [--volume V]", cmdPlay},
    {"playlist", "playlist KIND [--match N] [--search TEXT] [--seed S] [--db PATH]", cmdPlaylist},
    {"analyze", "analyze FILE...", cmdAnalyze},
    {"add", "add FOLDER... [--db PATH]", cmdAdd},
};

void usage() {
  std::fputs("usage: lumaroll-tool COMMAND [ARGS]\ncommands:\n", stderr);
  for (const auto& c : kCommands) std::fprintf(stderr, "  %.*s\n", static_cast<int>(c.usage.size()), c.usage.data());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    usage();
    return 2;
  }
  const std::string name = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  for (const auto& c : kCommands)
    if (c.name == name) return c.run(args);
  std::fprintf(stderr, "lumaroll-tool: unknown command '%s'\n", name.c_str());
  usage();
  return 2;
}
