// The tag reader of FLAC, Ogg Vorbis and Opus files: claims a library slot
// and fills it from the file's Vorbis comments, which the movie services
// read through FFmpeg.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "platform/movie.h"

// Refusals, each with its own code so that a report can tell them apart:
constexpr OSErr kVorbisRefused = 37;   // name, or not a regular readable file
constexpr OSErr kVorbisUntagged = 7;   // no title, artist, album or genre comment
constexpr OSErr kVorbisPodcast = 8;    // genre "Podcast"
constexpr OSErr kVorbisDuplicate = 9;  // already in the library
// A file FFmpeg cannot open as FLAC or Ogg, or without FLAC, Vorbis or Opus
// audio, gives the movie services' own negative code (-2048, -43, -36, ...).

struct VorbisTagTexts {
  std::uint16_t fileKind = 0;
  std::string title, artist, album, genre;  // as stored: Mac Roman folded
};

// The stored texts of a file's comments: 0, or kVorbisUntagged / kVorbisPodcast.
OSErr convertVorbisTags(const MovieFileTags& tags, VorbisTagTexts& out);

// Claims the next slot of gTunes_A for the file at `filePath` (opened by
// this full path; its name is stored cut to 63 bytes): 0 when accepted, a
// refusal code above after giving the slot back.
OSErr readVorbisTags(std::string_view filePath, std::int16_t folderVolume, std::int32_t folderDirID);
