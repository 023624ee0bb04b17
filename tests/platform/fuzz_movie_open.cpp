// libFuzzer target over opening a movie and exporting from it: whatever the
// bytes of the file, the services answer with a code or a block, never a
// crash, a hang or a read outside their buffers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/movie.h"
#include "support/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool entered = EnterMovies() == noErr;
  if (!entered) std::abort();
  const std::string& path = writeFuzzInputFile(data, size);

  ClearMoviesStickyError();
  MovieOwner movie;
  if (openMovieByPath(path, movie) != noErr) return 0;
  const std::int64_t d = GetMovieDuration(movie.get());
  std::vector<std::uint8_t> block;
  // The start, the analysis' first position, the middle, the last tenth, and past the end.
  for (const std::int64_t start : {std::int64_t{0}, static_cast<std::int64_t>(0.37 * static_cast<double>(d)),
                                   d / 2 - 300, static_cast<std::int64_t>(0.9 * static_cast<double>(d)), d + 600}) {
    if (start < 0 || start > INT32_MAX) continue;
    const OSErr err = PutMovieIntoTypedHandle(movie.get(), block, static_cast<std::int32_t>(start), 600);
    if (err == noErr && (block.size() < kSoundHeaderBytes || block[24] == 0)) std::abort();
  }
  return 0;
}
