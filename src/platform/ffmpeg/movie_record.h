// What a Movie is inside the services: the opened file's decoder for exports,
// and the playback state while it plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ffmpeg/audio_source.h"
#include "platform/movie.h"

class Playback;  // platform/sdl

struct MovieRecord {
  MovieRecord();
  ~MovieRecord();  // stops playback first

  std::string path;
  AudioSource source;                      // used by exports, on the caller's thread
  std::vector<std::int16_t> exportFrames;  // kept from one export to the next
  std::int64_t durationUnits = 0;
  std::int16_t volume = kUnityVolume;
  std::int64_t playFrame = 0;  // where the next start begins
  bool endReached = false;     // the last start played to the end, or could not play
  bool paused = false;         // started, and holding its place silently
  std::unique_ptr<Playback> playback;
};
