#include "platform/sdl/playback.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <array>
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

std::span<std::int16_t> samplesOf(Uint8* stream, int len) {
  return {reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(len) / sizeof(std::int16_t)};
}

// A device of its own, for a playback that found the shared one in use.
void ownCallback(void* user, Uint8* stream, int len) { static_cast<Playback*>(user)->fill(samplesOf(stream, len)); }

SDL_AudioDeviceID openDevice(int channels, SDL_AudioCallback cb, void* user, bool mayFallBack) {
  if (!audioUp()) return 0;
  SDL_AudioSpec want{};
  want.freq = AudioSource::kRate;
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(channels);
  want.samples = kDeviceFrames;
  want.callback = cb;
  want.userdata = user;
  SDL_AudioSpec have{};
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0 && !gDummy && mayFallBack) {
    useDummyDriver();
    if (gAudioUp) id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  }
  return id;
}

// The output device, kept open from tune to tune: opening and closing a
// device takes tens of milliseconds, which every Next would otherwise wait
// for. It is always stereo (a mono tune sounds on both sides), because many
// drivers open one device at a time. Left idle for kIdleClose it is closed by
// a helper thread, so that a stopped player holds no sound stream open.
class SharedOutput {
 public:
  static constexpr std::size_t kChannels = 2;
  static constexpr auto kIdleClose = std::chrono::seconds(kSharedOutputIdleSeconds);

  // Gives `p` the device, opening it when needed: its ID, or 0 when another
  // playback has it or it cannot be opened.
  SDL_AudioDeviceID attach(Playback* p) {
    std::lock_guard guard(lock_);
    if (current_) return 0;
    if (id_ == 0) id_ = openDevice(static_cast<int>(kChannels), callback, this, true);
    if (id_ == 0) return 0;
    SDL_LockAudioDevice(id_);  // no callback runs while it is held
    current_ = p;
    SDL_UnlockAudioDevice(id_);
    SDL_PauseAudioDevice(id_, 0);
    return id_;
  }

  // After this no callback touches `p`; when nothing is left to play the
  // device pauses and its idle time begins. A playback that is not on the
  // device is left alone; one waiting to take over from `p` takes over now.
  void detach(Playback* p) {
    std::lock_guard guard(lock_);
    bool idle = true;
    if (id_ != 0) {
      SDL_LockAudioDevice(id_);
      const bool mine = current_ == p || next_ == p;
      if (next_ == p) next_ = nullptr;
      if (current_ == p) {
        current_ = next_;
        next_ = nullptr;
      }
      idle = current_ == nullptr;
      SDL_UnlockAudioDevice(id_);
      if (!mine) return;
      if (idle) SDL_PauseAudioDevice(id_, 1);
    } else if (current_ != p) {
      return;
    }
    if (!idle) return;
    current_ = nullptr;
    idleSince_ = std::chrono::steady_clock::now();
    if (!closerRunning_) {
      if (closer_.joinable()) closer_.join();  // it has finished: it clears the flag last
      closerRunning_ = true;
      closer_ = std::thread([this] { closeWhenIdle(); });
    }
    wake_.notify_all();
  }

  // Asks the callback to cross over from `from` to `to` at its next buffer.
  // False when `from` does not have the device.
  bool handOver(Playback* from, Playback* to) {
    std::lock_guard guard(lock_);
    if (id_ == 0 || current_ != from || next_) return false;
    SDL_LockAudioDevice(id_);
    next_ = to;
    SDL_UnlockAudioDevice(id_);
    return true;
  }

  bool plays(const Playback* p) {
    std::lock_guard guard(lock_);
    if (id_ == 0) return false;
    SDL_LockAudioDevice(id_);
    const bool yes = current_ == p;
    SDL_UnlockAudioDevice(id_);
    return yes;
  }

  bool open() {
    std::lock_guard guard(lock_);
    return id_ != 0;
  }

  ~SharedOutput() {
    {
      std::lock_guard guard(lock_);
      quitting_ = true;
    }
    wake_.notify_all();
    if (closer_.joinable()) closer_.join();
    if (id_ != 0) SDL_CloseAudioDevice(id_);
  }

 private:
  static void callback(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SharedOutput*>(user);
    const std::span<std::int16_t> out = samplesOf(stream, len);
    if (!self->current_) {
      std::fill(out.begin(), out.end(), std::int16_t{0});
      return;
    }
    self->current_->fill(out);
    if (!self->next_) return;
    // A jump: the old sound fades out while the new one fades in, over a
    // few milliseconds at the start of this buffer.
    std::array<std::int16_t, kMixSamples>& mix = self->mix_;
    const std::span<std::int16_t> incoming = std::span(mix).first(std::min(out.size(), mix.size()));
    self->next_->fill(incoming);
    const std::size_t fade = std::min<std::size_t>(kFadeFrames, incoming.size() / kChannels);
    for (std::size_t f = 0; f < incoming.size() / kChannels; ++f)
      for (std::size_t c = 0; c < kChannels; ++c) {
        const std::size_t i = f * kChannels + c;
        if (f < fade) {
          const auto k = static_cast<std::int32_t>(f), n = static_cast<std::int32_t>(fade);
          out[i] = static_cast<std::int16_t>((out[i] * (n - k) + incoming[i] * k) / n);
        } else {
          out[i] = incoming[i];
        }
      }
    self->current_ = self->next_;
    self->next_ = nullptr;
  }

  static constexpr std::size_t kFadeFrames = AudioSource::kRate / 200;  // 5 ms
  static constexpr std::size_t kMixSamples = 4 * 4096 * kChannels;      // more than any device buffer
  std::array<std::int16_t, kMixSamples> mix_{};

  // Runs while the device is open.
  void closeWhenIdle() {
    std::unique_lock guard(lock_);
    while (!quitting_ && id_ != 0) {
      if (current_) {
        wake_.wait(guard);
      } else if (std::chrono::steady_clock::now() - idleSince_ >= kIdleClose) {
        SDL_CloseAudioDevice(id_);
        id_ = 0;
      } else {
        wake_.wait_until(guard, idleSince_ + kIdleClose);
      }
    }
    closerRunning_ = false;
  }

  std::mutex lock_;
  std::condition_variable wake_;
  SDL_AudioDeviceID id_ = 0;
  Playback* current_ = nullptr;  // changed only with the device locked
  Playback* next_ = nullptr;     // takes over from current_ at the next buffer
  std::chrono::steady_clock::time_point idleSince_;
  std::thread closer_;
  bool closerRunning_ = false;
  bool quitting_ = false;
};

SharedOutput& sharedOutput() {
  static SharedOutput output;
  return output;
}

}  // namespace

void setPlaybackTap(PlaybackTap tap) { gTap = std::move(tap); }

bool sharedOutputOpen() { return sharedOutput().open(); }

OSErr Playback::start(const std::string& path, std::int64_t frame, std::int16_t volume, std::unique_ptr<Playback>& out,
                      bool paused) {
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
  p->paused_.store(paused, std::memory_order_release);
  p->thread_ = std::thread([raw = p.get()] { raw->decode(); });
  // Let the decoder get ahead before the device asks, so that a tune does not
  // begin with a gap of silence.
  for (int waited = 0; waited < 500 && !p->decodedAll_.load(std::memory_order_acquire) &&
                       p->written_.load(std::memory_order_acquire) < kChunkFrames * p->channels_;
       ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!paused) {
    err = p->attachOutput();
    if (err != noErr) return err;  // the destructor stops the thread
  }
  out = std::move(p);
  return noErr;
}

// The shared device when it is free, else a device of its own.
OSErr Playback::attachOutput() {
  if (device_ != 0 && !sharedDevice_) {
    SDL_PauseAudioDevice(device_, 0);
    return noErr;
  }
  device_ = sharedOutput().attach(this);
  sharedDevice_ = device_ != 0;
  if (sharedDevice_) {
    deviceChannels_ = SharedOutput::kChannels;
    return noErr;
  }
  deviceChannels_ = channels_;
  device_ = openDevice(static_cast<int>(channels_), ownCallback, this, false);
  if (device_ == 0) return ioErr;
  SDL_PauseAudioDevice(device_, 0);
  return noErr;
}

void Playback::pause() {
  if (paused_.exchange(true, std::memory_order_acq_rel)) return;
  // Both calls wait for a callback that is running; after them none takes
  // from the ring until resume().
  if (sharedDevice_)
    sharedOutput().detach(this);
  else if (device_ != 0)
    SDL_PauseAudioDevice(device_, 1);
}

OSErr Playback::resume() {
  if (!paused()) return noErr;
  {
    std::lock_guard lock(wakeLock_);
    paused_.store(false, std::memory_order_release);
  }
  wake_.notify_all();
  if (sharedDevice_) {  // the shared device is asked for again: it may have closed meanwhile
    sharedDevice_ = false;
    device_ = 0;
  }
  return attachOutput();
}

bool Playback::handOverTo(Playback& next) {
  if (!sharedDevice_ || paused() || next.device_ != 0) return false;
  {
    std::lock_guard lock(next.wakeLock_);
    next.paused_.store(false, std::memory_order_release);
  }
  next.wake_.notify_all();
  next.deviceChannels_ = SharedOutput::kChannels;
  if (!sharedOutput().handOver(this, &next)) {
    next.paused_.store(true, std::memory_order_release);
    return false;
  }
  next.device_ = device_;
  next.sharedDevice_ = true;
  // The callback crosses over at its next buffer; a device that has stopped
  // asking is handed over without the fade.
  for (int waited = 0; waited < 250 && !sharedOutput().plays(&next); ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  sharedOutput().detach(this);
  sharedDevice_ = false;
  device_ = 0;
  paused_.store(true, std::memory_order_release);  // silent from now on
  return true;
}

std::int64_t Playback::heardPosition() const {
  const std::int64_t played = played_.load(std::memory_order_acquire);
  if (paused()) return startFrame_ + played;
  const std::int64_t at = lastFillTime_.load(std::memory_order_acquire);
  if (at == 0) return startFrame_ + played;
  const std::int64_t now =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
  const std::int64_t sounded = (now - at) * AudioSource::kRate / 1'000'000'000;
  const std::int64_t behind = std::max<std::int64_t>(0, lastFillFrames_.load(std::memory_order_relaxed) - sounded);
  return startFrame_ + std::max<std::int64_t>(0, played - behind);
}

Playback::~Playback() {
  {
    std::lock_guard lock(wakeLock_);
    stop_.store(true, std::memory_order_release);
  }
  wake_.notify_all();
  // Detaching and closing both wait for a running callback; after them
  // none runs again.
  if (sharedDevice_)
    sharedOutput().detach(this);
  else if (device_ != 0)
    SDL_CloseAudioDevice(device_);
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
      // Paused, the ring stays full until resume: the decoder sleeps until
      // then, so a paused player costs nothing.
      std::unique_lock lock(wakeLock_);
      if (paused())
        wake_.wait(lock, [this] { return stop_.load(std::memory_order_acquire) || !paused(); });
      else
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
  // A mono sound on the stereo device: each sample goes to both sides.
  const std::size_t spread = deviceChannels_ == 2 && channels_ == 1 ? 2 : 1;
  const std::size_t n =
      static_cast<std::size_t>(std::min<std::uint64_t>(available, out.size() / spread)) / channels_ * channels_;
  const std::uint64_t capacity = ring_.size();
  for (std::size_t i = 0; i < n; ++i) out[i] = ring_[(t + i) % capacity];
  taken_.store(t + n, std::memory_order_release);
  mixWithVolume(out.first(n), out.first(n), volume_.load(std::memory_order_relaxed));
  if (spread == 2)
    for (std::size_t i = n; i-- > 0;) out[2 * i] = out[2 * i + 1] = out[i];  // backwards: 2i >= i
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(n * spread), out.end(), std::int16_t{0});
  lastFillFrames_.store(static_cast<std::int64_t>(n / channels_), std::memory_order_relaxed);
  lastFillTime_.store(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count(),
      std::memory_order_release);
  played_.fetch_add(static_cast<std::int64_t>(n / channels_), std::memory_order_release);
  if (all && n == available) done_.store(true, std::memory_order_release);
  if (tap_) tap_(out);
}
