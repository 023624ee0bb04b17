// Fuzzing the MP3 tag reader: any bytes as the first block of a file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/mp3tags.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reader sees at most its 2000 bytes; an exact-size copy lets the
  // address checker catch a read one byte past the block.
  std::span<const std::uint8_t> block(data, size < kMP3TagBlock ? size : kMP3TagBlock);
  MP3TagTexts texts;
  if (parseMP3TagBlock(block, texts) == noErr) {
    if (texts.genre.size() > 63 || texts.title.size() > 255 || texts.album.size() > 255 || texts.artist.size() > 255)
      __builtin_trap();
  }
  return 0;
}
