// Playback of one movie: a decoder thread fills a ring buffer, the audio
// device's callback takes from it and applies the volume. Destroying a
// Playback silences it at once and joins its thread. Playbacks one after
// another share one open stereo device; it closes after a few idle seconds.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ffmpeg/audio_source.h"
#include "platform/sdl/mixer.h"

// The output device kept open between tunes, and how long it stays open
// with nothing to play.
bool sharedOutputOpen();
constexpr int kSharedOutputIdleSeconds = 3;

class Playback {
 public:
  // Opens `path`, positions it at `frame` and starts the sound. 0 or a
  // negative code (the file could not be decoded, or no audio output at all).
  static OSErr start(const std::string& path, std::int64_t frame, std::int16_t volume,
                     std::unique_ptr<Playback>& out);
  ~Playback();
  Playback(const Playback&) = delete;
  Playback& operator=(const Playback&) = delete;

  void setVolume(std::int16_t volume) { volume_.store(volume, std::memory_order_relaxed); }
  // The frame the device has reached, counted from the start of the sound.
  std::int64_t position() const { return startFrame_ + played_.load(std::memory_order_acquire); }
  // True once the last frame of the sound has gone to the device.
  bool done() const { return done_.load(std::memory_order_acquire); }

  // The audio callback's work: fills `out` (interleaved) from the ring.
  void fill(std::span<std::int16_t> out);

 private:
  Playback() = default;
  void decode();

  AudioSource source_;
  std::int64_t startFrame_ = 0;
  std::size_t channels_ = 2;
  PlaybackTap tap_;
  std::uint32_t device_ = 0;
  bool sharedDevice_ = false;  // the output kept open across tunes, not one of its own
  std::size_t deviceChannels_ = 2;

  // Single producer (decoder thread), single consumer (audio callback).
  std::vector<std::int16_t> ring_;
  std::atomic<std::uint64_t> written_{0};  // samples ever written
  std::atomic<std::uint64_t> taken_{0};    // samples ever taken

  std::atomic<std::int16_t> volume_{256};
  std::atomic<bool> stop_{false};
  std::atomic<bool> decodedAll_{false};
  std::atomic<bool> done_{false};
  std::atomic<std::int64_t> played_{0};
  std::mutex wakeLock_;  // only for waking the decoder when it must stop
  std::condition_variable wake_;
  std::thread thread_;
};
