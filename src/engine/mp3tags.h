// The MP3 tag reader: claims a library slot for an MP3 file and fills it
// from the file's ID3 version 2 tag.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/errors.h"

constexpr std::uint64_t kSmallestMP3 = 73374;
constexpr std::size_t kMP3TagBlock = 2000;
constexpr OSErr kMP3Refused = 37;  // refused before the tag was examined
constexpr OSErr kMP3Unusable = 7;  // no tag, podcast or duplicate

struct MP3TagTexts {
  bool v23 = true;  // read with the ID3v2.3 rules (2.3 and later)
  std::string artist, title, album, genre;
};

// Reads the four texts from the first bytes of an MP3 file: 0, or 7 when
// the block carries no ID3v2 header. Never reads outside the block.
OSErr parseMP3TagBlock(std::span<const std::uint8_t> block, MP3TagTexts& out);

// Claims the next slot of gTunes_A for the file at `filePath` (opened by
// this full path; its name is stored cut to 63 bytes): 0 when accepted,
// 37 or 7 after giving the slot back.
OSErr readMP3Tags(std::string_view filePath, std::int16_t folderVolume, std::int32_t folderDirID);
