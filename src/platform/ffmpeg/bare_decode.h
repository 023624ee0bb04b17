// The yardstick of the export's speed: the least FFmpeg work that yields the
// same excerpts (open, then per excerpt seek, flush and decode the preroll
// and the second, with no conversion). Used by the benchmarks only.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Decodes one second from each start (in 44.1 kHz frames, with `prerollFrames`
// before it); returns the number of samples decoded, or -1 on an error.
std::int64_t bareDecodeSeconds(const std::string& path, std::span<const std::int64_t> startFrames,
                               std::int64_t prerollFrames);
