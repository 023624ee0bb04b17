// Audio feature extraction: one second of a tune, two 16384-point transforms,
// and the figures the classification turns into the tune's measures.
//
// All the state of an analysis is in its AnalysisState: analyses with states
// of their own may run on separate threads at once.
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
constexpr std::int32_t kSpectrumBins = 8192;  // bins 0..8192 are examined
constexpr std::int32_t kAnalysisParts = 14;   // calls per tune
constexpr std::int32_t kAnalysisFrames = 28;  // two frames per call
constexpr std::int32_t kSampleCapacity = 60;  // samplePitch/sampleAmplitude 1..60
constexpr std::int32_t kShortestAnalysedSecs = 27;

// Result codes of measureTuneAudio besides 0 and the platform's errors.
constexpr OSErr kTuneTooShort = 37;
constexpr OSErr kNotStereo = 20;
// An analysis given up half way because its result is no longer wanted.
constexpr OSErr kAnalysisCancelled = -128;

// The state of one analysis: the accumulators the fourteen calls for one tune
// fill and the classification turns into stored measures, and the working
// buffers of the transform. Every analysis owns one, so analyses on separate
// threads never share a buffer; one state serves one tune at a time.
struct AnalysisState {
  // Accumulators, cleared per tune by resetAnalysisState.
  std::int16_t gFundCount_S = 0;                         // frames analysed so far (frame number n)
  std::int32_t gCTCounter_L = 0;                         // strong bins over all frames
  std::uint32_t gTotalPitches_UL = 0;                    // sum of the strong bins' numbers
  std::int32_t gBypassCntOne_L = 0;                      // distinct strong bins ...
  std::array<std::int32_t, 30001> gTempCounterOne_LA{};  // ... in first-seen order, 1-based
  double gAverageUniquePitch_D = 0.0;                    // halving average of the distinct strong bins
  std::int32_t gTotalUniqueFundPitches_L = 0;            // distinct dominant bins ...
  std::array<std::int32_t, 61> gUniqueFundOffPass_LA{};  // ... in first-seen order, 1-based
  double gAverageTunePitch_D = 0.0;                      // halving average of the per-frame pitch
  std::int32_t gDomFreqCnt_L = 0;                        // zeroed by every call; nothing reads it

  // Cleared with the accumulators; the classification reads the first four.
  double gAverageFundamentalPitches_D = 0.0;
  double gAverageAmplitude_D = 0.0;
  double gFrequencyVarience_D = 0.0;
  double gBypassVarience_D = 0.0;
  double gRealAvePitch_D = 0.0;
  double gLastFundFreq_D = 0.0;
  double gLastVarience_D = 0.0;
  double gLastUnigueVarience_D = 0.0;
  std::int32_t gBypassCntTwo_L = 0;
  std::int32_t gBypassCntThree_L = 0;

  // The time scale of the movie measured, set with durationSeconds: what a
  // record's dataRate is computed from when the measures are copied into it.
  std::int32_t timeScale = 0;

  // The transform: bin k's real part at 2k, imaginary part at 2k + 1.
  std::array<double, 66001> arr_DA{};
  // Plain power of bins 0..8192 of the frame being analysed.
  std::array<double, 8193> power{};
  // The strong bins of the frame being analysed, ascending.
  std::array<std::int32_t, 8192> strongBins{};
};

// Clears the accumulators before the first call for a tune.
void resetAnalysisState(AnalysisState& state);

// Start (time units) of analysis position `part` (1..14) of a tune of
// duration D at time scale S; nothing for any other part.
std::optional<std::int32_t> analysisStartTime(std::int32_t part, std::int32_t D, std::int32_t S);

// Analyses one position of the tune into `state` and the record `tune`
// (dataRate, durationSeconds, the sample entries, the first-pass figures): 0,
// or the first failure met (37 too short, 20 not stereo, a
// negative platform error, -50 for a part outside 1..14).
OSErr measureTuneAudio(AnalysisState& state, Movie movie, std::int32_t part, Tune& tune);

// Writes into `record` every field the analysis of `measured` wrote, exactly
// as measuring into `record` itself would have: dataRate comes from the
// record's own fileLength.
void copyMeasuredFields(const AnalysisState& state, const Tune& measured, Tune& record);

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
