// The M4A tag reader: claims a library slot for an MPEG-4 audio file and
// fills it from the metadata atoms found in the file's first quarter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/errors.h"

constexpr std::uint64_t kSmallestM4A = 100001;
constexpr OSErr kM4ARefused = 1;
// The first quarter is searched this many bytes at a time.
constexpr std::size_t kM4AChunkBytes = std::size_t{1} << 20;

struct M4ATagTexts {
  std::string title, album, artist, genre;
};

// Reads the four texts from the loaded block: false when the title, album
// or artist atom is missing. Never reads outside the block.
bool parseM4ATagBlock(std::span<const std::uint8_t> block, M4ATagTexts& out);

// Claims the next slot of gTunes_A for the file at `filePath` (opened by
// this full path; its name is stored cut to 63 bytes): 0 when accepted, 1
// after giving the slot back.
OSErr readM4ATags(std::string_view filePath, std::int16_t folderVolume, std::int32_t folderDirID);
