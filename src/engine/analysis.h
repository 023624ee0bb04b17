// Audio feature extraction: one second of a tune, two 16384-point transforms,
// and the figures the classification turns into the tune's measures.
//
// Everything here is program-wide state owned by the adding thread: one tune
// is analysed at a time and measureTuneAudio is not re-entrant.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "core/errors.h"
#include "library/tune.h"
#include "platform/movie.h"

constexpr std::int32_t kFFTPoints = 16384;
constexpr std::int32_t kFFTBits = 14;
constexpr std::int32_t kSpectrumBins = 8192;      // bins 0..8192 are examined
constexpr std::int32_t kAnalysisParts = 14;       // calls per tune
constexpr std::int32_t kAnalysisFrames = 28;      // two frames per call
constexpr std::int32_t kSampleCapacity = 60;      // samplePitch/sampleAmplitude 1..60
constexpr std::int32_t kShortestAnalysedSecs = 27;

// Result codes of measureTuneAudio besides 0 and the platform's errors.
constexpr OSErr kTuneTooShort = 37;
constexpr OSErr kNotStereo = 20;
constexpr OSErr kNoChannelBuffers = 7;

// The transform: bin k's real part at 2k, imaginary part at 2k + 1.
extern std::array<double, 66001> arr_DA;

// Analysis accumulators, cleared per tune by resetAnalysisState.
extern std::int16_t gFundCount_S;        // frames analysed so far (frame number n)
extern std::int32_t gCTCounter_L;        // strong bins over all frames
extern std::uint32_t gTotalPitches_UL;   // sum of the strong bins' numbers
extern std::int32_t gBypassCntOne_L;     // distinct strong bins ...
extern std::array<std::int32_t, 30001> gTempCounterOne_LA;  // ... in first-seen order, 1-based
extern double gAverageUniquePitch_D;     // halving average of the distinct strong bins
extern std::int32_t gTotalUniqueFundPitches_L;             // distinct dominant bins ...
extern std::array<std::int32_t, 61> gUniqueFundOffPass_LA; // ... in first-seen order, 1-based
extern double gAverageTunePitch_D;       // halving average of the per-frame pitch
extern std::int32_t gDomFreqCnt_L;       // zeroed by every call; nothing reads it

// Cleared with the accumulators; the classification reads the first four.
extern double gAverageFundamentalPitches_D;
extern double gAverageAmplitude_D;
extern double gFrequencyVarience_D;
extern double gBypassVarience_D;
extern double gRealAvePitch_D;
extern double gLastFundFreq_D;
extern double gLastVarience_D;
extern double gLastUnigueVarience_D;
extern std::int32_t gBypassCntTwo_L;
extern std::int32_t gBypassCntThree_L;

// Clears the analysis state before the first call for a tune.
void resetAnalysisState();

// Start (time units) of analysis position `part` (1..14) of a tune of
// duration D at time scale S; nothing for any other part.
std::optional<std::int32_t> analysisStartTime(std::int32_t part, std::int32_t D, std::int32_t S);

// Analyses one position of the tune in gTunes_A[gTotalTunes_L]: 0, or the
// first failure met (37 too short, 20 not stereo, 7 no buffers, a negative
// platform error, -50 for a part outside 1..14).
OSErr measureTuneAudio(Movie movie, std::int32_t part);

// The transform itself, exposed for checking and measuring: an in-place
// radix-2 transform of 16384 interleaved complex points with a positive
// kernel, X[k] = sum x[n] e^(+2 pi i n k / 16384).
void transform16384(std::span<double> data);

// The signed word the transform reads for stream position i: bytes 2i + 1 and
// 2i + 2 of the compacted stream, low byte first (one byte in, so each word
// pairs one slot's second byte with the next slot's first byte).
std::int16_t misalignedWord(std::span<const std::uint8_t> stream, std::int32_t index);

// Entries of the record's sample arrays, copied in and out: records sit at
// any byte offset in the tables, so their arrays are never addressed as
// arrays of aligned integers. n is 0..60.
std::int32_t samplePitchAt(const Tune& t, std::int32_t n);
void setSamplePitch(Tune& t, std::int32_t n, std::int32_t value);
std::int16_t sampleAmplitudeAt(const Tune& t, std::int32_t n);
void setSampleAmplitude(Tune& t, std::int32_t n, std::int16_t value);
