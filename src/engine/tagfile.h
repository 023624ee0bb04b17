// What the MP3 and M4A tag readers share: claiming a library slot, opening a
// file by its full path, reading its first bytes, searching them, and the
// duplicate test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "library/tune.h"

// The file's name as stored: the last component of the path, first 63 bytes.
std::string_view tagFileName(std::string_view filePath);

// Length of the file and its first `bytes` bytes (fewer when memory is short
// or the read fails: then false). The file is closed before returning.
struct TagFileRead {
  std::uint64_t length = 0;
  std::vector<std::uint8_t> block;
};
// Opens the file and takes its length; when the length is at least
// `minimumLength`, reads min(prefix(length), length) bytes. False when the
// file cannot be opened, is not a regular file, is shorter than the minimum,
// or cannot be read.
bool readTagFile(std::string_view filePath, std::uint64_t minimumLength, std::size_t (*prefix)(std::uint64_t length),
                 TagFileRead& out);

// Offset of the first occurrence of `name` in the block, or npos.
std::size_t findInBlock(std::span<const std::uint8_t> block, std::string_view name);

// The byte at `at`, or 0 past the end of the block: readers treat the end of
// their block as the end of every text.
inline std::uint8_t byteAt(std::span<const std::uint8_t> block, std::size_t at) {
  return at < block.size() ? block[at] : 0;
}

// True when an earlier tune 1..gTotalTunes_L-1 has this artist, title and
// album (exact bytes).
bool isDuplicateTune(std::string_view artist, std::string_view title, std::string_view album);

// Why the last tag read refused its file (none after one that succeeded),
// for the report of the files an add run left out.
// notAudio: the file holds no audio the movie services can open.
enum class TagRefusal : std::uint8_t { none, libraryFull, tooSmall, noTag, podcast, duplicate, notAudio };
extern TagRefusal gLastTagRefusal;

// Claims the next library slot: false when the library is full.
bool claimTagSlot();
// Gives the slot claimed by claimTagSlot back.
void giveBackTagSlot();

// What every tag reader stores in the record it claimed: where the file is,
// its length and kind, and the four texts.
void storeTagFile(Tune& t, std::uint32_t fileLength, std::uint16_t fileKind, std::string_view name,
                  std::int16_t folderVolume, std::int32_t folderDirID);
template <class Texts>
void storeTagTexts(Tune& t, const Texts& texts) {
  t.artist.assign(texts.artist);
  t.title.assign(texts.title);
  t.album.assign(texts.album);
  t.genre.assign(texts.genre);
}
