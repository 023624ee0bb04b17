// The commands of lumaroll-tool. Each takes the arguments after its name and
// returns the process exit status.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

using ToolArgs = std::span<const std::string>;

struct ToolCommand {
  std::string_view name;
  std::string_view usage;
  int (*run)(ToolArgs args);
};

// Common option handling: "--db PATH" sets the library file. Returns false
// (with a message) on a malformed option.
bool toolTakeDbOption(std::vector<std::string>& args);

// The value after an option such as "--seed"; empty when absent. Removes both.
bool toolTakeOption(std::vector<std::string>& args, std::string_view name, std::string& value);
bool toolTakeFlag(std::vector<std::string>& args, std::string_view name);

// Loads the library file for a command; prints an error and returns false
// when the file is missing or unreadable.
bool toolLoadLibrary();
// Takes the library's lock for a command that writes it; prints "Lumaroll is
// running; quit it first" and returns false while the program (or another
// writing command) holds it.
bool toolLockLibrary();

int cmdDump(ToolArgs args);
int cmdCheck(ToolArgs args);
int cmdGenres(ToolArgs args);
int cmdEval(ToolArgs args);
int cmdExportSnd(ToolArgs args);
int cmdPlay(ToolArgs args);
int cmdPlaylist(ToolArgs args);
int cmdAnalyze(ToolArgs args);
int cmdAdd(ToolArgs args);
