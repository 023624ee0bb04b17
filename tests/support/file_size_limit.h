// Runs a piece of the program in a child process whose files cannot grow
// past a limit, as on a full disk; the parent sees the child's exit code.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// The exit code `body` gives in the child (-1 when the child did not exit).
inline int exitCodeUnderFileSizeLimit(rlim_t bytes, const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
    const rlimit lim{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
