#include "platform/sdl/playback.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kRingFrames = AudioSource::kRate / 2;
constexpr std::size_t kChunkFrames = 4096;
constexpr std::uint16_t kDeviceFrames = 1024;

PlaybackTap gTap;  // set and copied on the caller's thread only

// The audio subsystem, brought up on first use. With no device to open it
// falls back to SDL's dummy driver, which consumes the sound at real time.
bool gAudioUp = false;
bool gDummy = false;

void useDummyDriver() {
  if (gAudioUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);  // over the environment too
  gAudioUp = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (!gDummy) std::fputs("lumaroll: no audio device found; tunes play silently\n", stderr);
  gDummy = true;
}

bool audioUp() {
  if (!gAudioUp) {
    gAudioUp = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (gAudioUp) {
      const char* driver = SDL_GetCurrentAudioDriver();
      gDummy = driver && std::string_view(driver) == "dummy";
    } else {
      useDummyDriver();
    }
  }
  return gAudioUp;
}

void callback(void* user, Uint8* stream, int len) {
  auto* self = static_cast<Playback*>(user);
  self->fill(std::span<std::int16_t>(reinterpret_cast<std::int16_t*>(stream),
                                     static_cast<std::size_t>(len) / sizeof(std::int16_t)));
}

SDL_AudioDeviceID openDevice(int channels, Playback* owner) {
  if (!audioUp()) return 0;
  SDL_AudioSpec want{};
  want.freq = AudioSource::kRate;
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(channels);
  want.samples = kDeviceFrames;
  want.callback = callback;
  want.userdata = owner;
  SDL_AudioSpec have{};
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0 && !gDummy) {
    useDummyDriver();
    if (gAudioUp) id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  }
  return id;
}

}  // namespace

void setPlaybackTap(PlaybackTap tap) { gTap = std::move(tap); }

OSErr Playback::start(const std::string& path, std::int64_t frame, std::int16_t volume,
                      std::unique_ptr<Playback>& out) {
  out.reset();
  std::unique_ptr<Playback> p(new Playback());
  OSErr err = p->source_.open(path, AudioSource::Options{.exactDuration = false, .maxChannels = 2});
  if (err == noErr) err = p->source_.seekToFrame(frame);
  if (err != noErr) return err;
  p->startFrame_ = frame;
  p->channels_ = static_cast<std::size_t>(p->source_.channels());
  p->ring_.assign(kRingFrames * p->channels_, 0);
  p->tap_ = gTap;
  p->setVolume(volume);
  p->thread_ = std::thread([raw = p.get()] { raw->decode(); });
  // Let the decoder get ahead before the device asks, so that a tune does not
  // begin with a gap of silence.
  for (int waited = 0; waited < 500 && !p->decodedAll_.load(std::memory_order_acquire) &&
                       p->written_.load(std::memory_order_acquire) < kChunkFrames * p->channels_;
       ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  p->device_ = openDevice(static_cast<int>(p->channels_), p.get());
  if (p->device_ == 0) return ioErr;  // the destructor stops the thread
  SDL_PauseAudioDevice(p->device_, 0);
  out = std::move(p);
  return noErr;
}

Playback::~Playback() {
  {
    std::lock_guard lock(wakeLock_);
    stop_.store(true, std::memory_order_release);
  }
  wake_.notify_all();
  // Closing waits for a running callback; after it none runs again.
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  if (thread_.joinable()) thread_.join();
}

void Playback::decode() {
  std::vector<std::int16_t> chunk(kChunkFrames * channels_);
  const std::uint64_t capacity = ring_.size();
  while (!stop_.load(std::memory_order_acquire)) {
    const std::uint64_t w = written_.load(std::memory_order_relaxed);
    const std::uint64_t room = capacity - (w - taken_.load(std::memory_order_acquire));
    if (room < chunk.size()) {
      // The device drains the ring at its own pace; looking again every
      // 20 ms keeps it more than half full.
      std::unique_lock lock(wakeLock_);
      wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return stop_.load(std::memory_order_acquire); });
      continue;
    }
    const std::int64_t frames = source_.read(chunk);
    if (frames <= 0) break;  // the end, or a file that cannot be decoded further
    const std::size_t n = static_cast<std::size_t>(frames) * channels_;
    for (std::size_t i = 0; i < n; ++i) ring_[(w + i) % capacity] = chunk[i];
    written_.store(w + n, std::memory_order_release);
  }
  decodedAll_.store(true, std::memory_order_release);
}

void Playback::fill(std::span<std::int16_t> out) {
  const bool all = decodedAll_.load(std::memory_order_acquire);
  const std::uint64_t t = taken_.load(std::memory_order_relaxed);
  const std::uint64_t available = written_.load(std::memory_order_acquire) - t;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(available, out.size())) /
                        channels_ * channels_;
  const std::uint64_t capacity = ring_.size();
  for (std::size_t i = 0; i < n; ++i) out[i] = ring_[(t + i) % capacity];
  taken_.store(t + n, std::memory_order_release);
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), std::int16_t{0});
  mixWithVolume(out.first(n), out.first(n), volume_.load(std::memory_order_relaxed));
  played_.fetch_add(static_cast<std::int64_t>(n / channels_), std::memory_order_release);
  if (all && n == available) done_.store(true, std::memory_order_release);
  if (tap_) tap_(out);
}
