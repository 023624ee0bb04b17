// Fuzzing the FLAC, Ogg Vorbis and Opus tag reader: any bytes as a whole
// file. FFmpeg's demuxers read the comments, so the file goes to disk.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/vorbistags.h"
#include "library/tune.h"
#include "support/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool entered = EnterMovies() == noErr;
  if (!entered) std::abort();
  const std::string& path = writeFuzzInputFile(data, size);

  MovieFileTags tags;
  const OSErr err = GetMovieFileTags(path, tags);
  if (err > 0) __builtin_trap();  // the services answer 0 or a negative code
  if (err != noErr) return 0;
  VorbisTagTexts texts;
  if (convertVorbisTags(tags, texts) == noErr) {
    if (texts.genre.size() > 63 || texts.title.size() > 255 || texts.album.size() > 255 || texts.artist.size() > 255)
      __builtin_trap();
    if (texts.fileKind < kFileKindFLAC || texts.fileKind > kFileKindOpus) __builtin_trap();
  }
  return 0;
}
