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
  // Opens `path`, positions it at `frame` and starts the sound (or, with
  // `paused`, only decodes ahead and waits for resume()). 0 or a negative
  // code (the file could not be decoded, or no audio output at all).
  static OSErr start(const std::string& path, std::int64_t frame, std::int16_t volume, std::unique_ptr<Playback>& out,
                     bool paused = false);
  ~Playback();
  Playback(const Playback&) = delete;
  Playback& operator=(const Playback&) = delete;

  void setVolume(std::int16_t volume) { volume_.store(volume, std::memory_order_relaxed); }
  // The frame the device has reached, counted from the start of the sound.
  std::int64_t position() const { return startFrame_ + played_.load(std::memory_order_acquire); }
  // The frame being heard: the device's last buffer sounds from the moment
  // it was handed over, so the ear is behind position() by what of that
  // buffer has not yet had its time. Paused, the buffer has played out.
  std::int64_t heardPosition() const;

  // The device stops taking sound at once; the ring and the decoder keep
  // their place, and the shared device starts counting its idle time.
  void pause();
  // Sounds again from the next frame of the ring. 0, or ioErr when no
  // output can be had.
  OSErr resume();
  bool paused() const { return paused_.load(std::memory_order_acquire); }
  // Hands the device over to `next` (positioned elsewhere in the same sound)
  // with a short crossfade, so that a jump does not click. Returns once the
  // device plays `next`; this playback is then silent. False when this one
  // does not hold the shared device (then nothing changed).
  bool handOverTo(Playback& next);
  // True once the last frame of the sound has gone to the device.
  bool done() const { return done_.load(std::memory_order_acquire); }

  // The audio callback's work: fills `out` (interleaved) from the ring.
  void fill(std::span<std::int16_t> out);

 private:
  Playback() = default;
  void decode();
  OSErr attachOutput();

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
  std::atomic<bool> paused_{false};
  std::atomic<std::int64_t> played_{0};
  // The last buffer handed to the device: its frames and when (steady
  // clock, nanoseconds).
  std::atomic<std::int64_t> lastFillFrames_{0};
  std::atomic<std::int64_t> lastFillTime_{0};
  std::mutex wakeLock_;  // only for waking the decoder when it must stop
  std::condition_variable wake_;
  std::thread thread_;
};
