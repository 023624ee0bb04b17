// The fuzz targets that read a whole file: each input is written to one
// scratch file, made once per process, which the target then opens by path.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& writeFuzzInputFile(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    std::string tmpl = "/tmp/lumaroll-fuzz-XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) std::abort();
    ::close(fd);
    return tmpl;
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}
