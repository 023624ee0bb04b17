// Opening a file for reading that must be a plain file. A named pipe opened
// the ordinary way waits for a writer for ever, and a device such as
// /dev/zero never ends; neither is a library, a preferences file or a tune.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

// Opens `path` read-only without blocking, checks that it is a regular file
// and returns the descriptor in blocking mode; -1 with errno set otherwise
// (EISDIR for a folder, EINVAL for a pipe, device or socket).
inline int openRegularFileForReading(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int e = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = e;
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}
