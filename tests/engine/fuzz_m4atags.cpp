// Fuzzing the M4A tag reader: any bytes as the loaded quarter of a file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/genres.h"
#include "engine/m4atags.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  [[maybe_unused]] static const bool ready = (initMP3Categories(), true);
  M4ATagTexts texts;
  if (parseM4ATagBlock(std::span<const std::uint8_t>(data, size), texts)) {
    if (texts.genre.size() > 63 || texts.title.size() > 255 || texts.album.size() > 255 || texts.artist.size() > 255)
      __builtin_trap();
  }
  return 0;
}
