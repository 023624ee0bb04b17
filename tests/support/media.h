// Generated test media: MP3, M4A, FLAC, Ogg Vorbis and Opus files of an exact length and a known
// content, with the tags a test asks for. Nothing binary is checked in; every
// test makes the files it needs in its TempDir.
//
// The sound is made here (so its samples are known) and
// encoded by the `ffmpeg` program with bit-exact flags: the same MediaRecipe always
// gives the same bytes. MP3 files get their ID3v2 tag from this file's own
// writer by default, so tag-reader tests control every byte of it; with
// `muxerTags` the tags are written by FFmpeg instead, as another tool would.
//
//   TempDir dir;
//   MediaRecipe recipe;
//   recipe.format = MediaFormat::mp3Vbr;
//   recipe.seconds = 30;
//   recipe.tags.title = "Blue in Green";
//   recipe.id3 = Id3Version::v24;
//   recipe.encoding = Id3Encoding::utf8;
//   writeTestMedia(dir.file("a.mp3"), recipe);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class MediaFormat {
  mp3Cbr,  // constant bit rate, `bitrateKbps`
  mp3Vbr,  // variable bit rate, LAME quality 4 (-V 4)
  m4a,     // AAC in an MPEG-4 file
  flac,    // FLAC in a FLAC file
  vorbis,  // Vorbis in an Ogg file, `bitrateKbps`
  opus,    // Opus in an Ogg file (encoded at 48 kHz), `bitrateKbps`
};

enum class MediaContent {
  tone,      // a sine at `frequency`
  twoTones,  // sines at `frequency` and `frequency2`, mixed at half amplitude each
  noise,     // white noise from `seed` (the same seed gives the same samples)
  silence,
};

enum class Id3Version { none, v22, v23, v24 };

enum class Id3Encoding {
  latin1,   // encoding byte 0; characters above U+00FF become '?'
  utf16le,  // encoding byte 1, byte-order mark FF FE
  utf16be,  // encoding byte 1, byte-order mark FE FF
  utf8,     // encoding byte 3 (ID3v2.4 only)
};

struct MediaTags {
  // UTF-8; an empty text writes no frame.
  std::string title, artist, album, genre;
};

struct MediaRecipe {
  MediaFormat format = MediaFormat::mp3Cbr;
  double seconds = 30.0;  // the sound's exact length is round(seconds × sampleRate) samples
  MediaContent content = MediaContent::tone;
  double frequency = 440.0;
  double frequency2 = 660.0;
  double amplitude = 0.5;  // of full scale
  std::uint32_t seed = 1;
  int sampleRate = 44100;
  int channels = 2;
  int bitrateKbps = 128;              // mp3Cbr and m4a
  bool xingHeader = true;             // MP3: write the Xing/LAME info frame
  bool faststart = true;              // M4A: metadata atoms at the start of the file
  bool aacNoiseSubstitution = false;  // M4A: let the encoder code noise as PNS bands
  MediaTags tags;
  // MP3: the tag this file's writer puts in front (none: no ID3v2 tag).
  Id3Version id3 = Id3Version::v23;
  Id3Encoding encoding = Id3Encoding::latin1;
  std::uint32_t id3Padding = 0;  // zero bytes after the last frame
  // MP3: let FFmpeg write the tags (ID3v2.4, its own choices) instead.
  // M4A files always get FFmpeg's metadata atoms, FLAC, Vorbis and Opus
  // files its Vorbis comments.
  bool muxerTags = false;
};

// Writes the file; throws std::runtime_error when ffmpeg fails.
void writeTestMedia(const std::string& path, const MediaRecipe& recipe);

// The ID3v2 tag this generator writes for `tags` (header, frames, padding).
std::string id3v2Tag(const MediaTags& tags, Id3Version version, Id3Encoding encoding, std::uint32_t padding = 0);

// Runs ffmpeg with the given arguments (after its quiet flags); throws on failure.
void runFfmpeg(const std::vector<std::string>& args);
