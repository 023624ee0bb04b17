#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/paths.h"
#include "core/regular_file.h"
#include "library/database.h"
#include "tools/commands.h"

bool toolTakeOption(std::vector<std::string>& args, std::string_view name, std::string& value) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != name) continue;
    if (i + 1 >= args.size()) {
      std::fprintf(stderr, "lumaroll-tool: %.*s needs a value\n", static_cast<int>(name.size()), name.data());
      return false;
    }
    value = args[i + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    return true;
  }
  return true;
}

bool toolTakeFlag(std::vector<std::string>& args, std::string_view name) {
  for (std::size_t i = 0; i < args.size(); ++i)
    if (args[i] == name) {
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  return false;
}

bool toolTakeDbOption(std::vector<std::string>& args) {
  std::string db;
  if (!toolTakeOption(args, "--db", db)) return false;
  if (!db.empty()) setLibraryFilePath(db);
  return true;
}

// The tool reads a library; unlike the program it does not create a missing
// file, and it says plainly when the file cannot be read.
bool toolLoadLibrary() {
  const std::string path = libraryFilePath();
  if (path.empty()) {
    std::fputs("lumaroll-tool: no home folder; give the library with --db PATH\n", stderr);
    return false;
  }
  const int fd = openRegularFileForReading(path.c_str());
  if (fd < 0) {
    std::fprintf(stderr, "lumaroll-tool: cannot read %s: %s\n", path.c_str(),
                 errno == EINVAL ? "not a regular file" : std::strerror(errno));
    return false;
  }
  ::close(fd);
  if (openDatabaseFiles() != noErr || gDatabaseLoadIncomplete) {
    std::fprintf(stderr, "lumaroll-tool: %s could not be read completely (%s)\n", path.c_str(),
                 libraryLoadProblem().c_str());
    return false;
  }
  return true;
}

bool toolLockLibrary() {
  if (lockLibraryFile() != LibraryLock::held) return true;
  std::fprintf(stderr, "lumaroll-tool: Lumaroll is running; quit it first (%s is in use)\n", libraryFilePath().c_str());
  return false;
}
