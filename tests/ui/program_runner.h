// The real desktop program, started offscreen on private data and
// preferences folders, for the tests that drive it from outside.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

// Starts LUMAROLL_PROGRAM with `args` (taken as bytes), its standard error to
// `errPath` (/dev/null when empty), and returns once it has painted its main
// window: its process ID, or -1 when it never painted.
inline pid_t startPaintedProgram(const std::string& data, const std::string& config,
                                 const std::vector<std::string>& args = {}, const std::string& errPath = {}) {
  int out[2];
  if (::pipe(out) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("LUMAROLL_ANNOUNCE_PAINT", "1", 1);
    ::setenv("LSAN_OPTIONS", "suppressions=" LUMAROLL_LSAN_SUPPRESSIONS, 1);  // sanitizer builds
    const int err =
        errPath.empty() ? ::open("/dev/null", O_WRONLY) : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(LUMAROLL_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(LUMAROLL_PROGRAM, argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  std::string said;
  char c = 0;
  while (said.find("painted\n") == std::string::npos && ::read(out[0], &c, 1) == 1) said += c;
  ::close(out[0]);
  return said == "painted\n" ? pid : -1;
}
