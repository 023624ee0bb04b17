// One audio file opened for decoding. It delivers the sound as interleaved
// signed 16-bit frames in the machine's byte order at 44.1 kHz, with the
// file's channel count, and can start at any frame exactly: a frame reached
// by seeking has the same value as the same frame reached by decoding the file
// from its beginning.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/errors.h"

class AudioSource {
 public:
  static constexpr std::int32_t kRate = 44100;

  struct Options {
    // Files whose length FFmpeg only estimates from the bit rate (MP3 without
    // an info frame) are read through once to measure it.
    bool exactDuration = true;
    // Mixes down to at most this many channels (0 keeps the file's count).
    int maxChannels = 0;
  };

  AudioSource();
  ~AudioSource();
  AudioSource(const AudioSource&) = delete;
  AudioSource& operator=(const AudioSource&) = delete;

  // 0, or fnfErr / permErr / ioErr for a file that cannot be read,
  // invalidMovieErr for one without decodable audio, memFullErr.
  OSErr open(const std::string& path, Options options);
  OSErr open(const std::string& path) { return open(path, Options{}); }

  int channels() const;
  // The length of the sound in units of 1/scale second, truncated.
  std::int64_t duration(std::int32_t scale) const;

  // Positions the source so that the next read starts at `frame` (44.1 kHz
  // frames from the start of the sound). 0 or a negative code.
  OSErr seekToFrame(std::int64_t frame);

  // Fills `out` with whole frames; returns the number of frames written
  // (fewer than asked only at the end of the sound, 0 after it), or a
  // negative result code.
  std::int64_t read(std::span<std::int16_t> out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
