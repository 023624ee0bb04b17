// The volume stage of playback, kept apart so that it can be checked sample
// by sample.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

constexpr std::int16_t kMaxMovieVolume = 1168;

// out[i] = in[i] × volume / 256, truncated toward zero and held inside the
// 16-bit range. Volumes below 0 are silent, above kMaxMovieVolume count as it.
// `out` may be `in`; both must have the same length.
void mixWithVolume(std::span<const std::int16_t> in, std::span<std::int16_t> out, std::int32_t volume);

// Receives every buffer the audio callback hands to the device, on the audio
// thread. Set it only while nothing plays; a playback keeps the tap that was
// set when it started.
using PlaybackTap = std::function<void(std::span<const std::int16_t> samples)>;
void setPlaybackTap(PlaybackTap tap);
