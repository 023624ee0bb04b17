// The analysis on constructed sound blocks, through a scripted movie.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "engine/analysis.h"
#include "engine/fft_reference.h"
#include "engine/transform_tables.h"
#include "library/tune.h"
#include "platform/movie.h"

// ---- A scripted movie: the analysis needs only these four services --------

struct MovieRecord {
  std::int32_t scale = kMovieTimeScale;
  std::int32_t duration = 0;
  std::function<std::vector<std::uint8_t>(std::int32_t start)> sound;
  OSErr exportError = noErr;
  OSErr memError = noErr;
  std::vector<std::int32_t> starts;
};

namespace {
MovieRecord* gLastMovie = nullptr;
}

std::int32_t GetMovieTimeScale(Movie m) { return m->scale; }
std::int32_t GetMovieDuration(Movie m) { return m->duration; }
OSErr PutMovieIntoTypedHandle(Movie m, std::vector<std::uint8_t>& block, std::int32_t start, std::int32_t duration) {
  gLastMovie = m;
  m->starts.push_back(start);
  EXPECT_EQ(duration, m->scale);
  if (m->exportError != noErr) return m->exportError;
  block = m->sound(start);
  return noErr;
}
OSErr MemError() { return gLastMovie ? gLastMovie->memError : noErr; }

namespace {

constexpr std::size_t kFrames = 44100;

// A sound block as the services deliver it: 84 header bytes with the channel
// count at 24, then big-endian frames.
std::vector<std::uint8_t> stereoBlock(const std::function<std::int16_t(std::size_t frame, int channel)>& sample,
                                      std::size_t frames = kFrames, std::uint8_t channels = 2) {
  std::vector<std::uint8_t> b(kSoundHeaderBytes + frames * 2 * channels, 0);
  b[24] = channels;
  for (std::size_t f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c) {
      const auto v = static_cast<std::uint16_t>(sample(f, c));
      const std::size_t at = kSoundHeaderBytes + (f * channels + static_cast<std::size_t>(c)) * 2;
      b[at] = static_cast<std::uint8_t>(v >> 8);
      b[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
    }
  return b;
}

// Where byte `q` of the compacted stream comes from in the block: stream
// slots take channel slots 1, 2, 3, 5, 6, 7, 9, ...; the first 22,050 from
// the left channel, the rest from the right.
std::size_t blockOffsetOfStreamByte(std::size_t q) {
  const std::size_t slot = q / 2;
  const std::size_t channelSlot = 4 * (slot / 3) + slot % 3 + 1;
  const std::size_t channel = slot < 22050 ? 0 : 1;
  return kSoundHeaderBytes + 4 * channelSlot + 2 * channel + q % 2;
}

// The 16,384 real inputs of frame f as the transform must see them: the
// word formed "one byte in" at every position, low byte first.
std::vector<double> frameInput(const std::vector<std::uint8_t>& block, int f) {
  std::vector<double> x(2 * reference::kPoints, 0.0);
  for (std::size_t p = 0; p + 1 < static_cast<std::size_t>(reference::kPoints); ++p) {
    const std::size_t i = static_cast<std::size_t>(f - 1) * 16384 + p;
    // A frame whose four bytes are not all delivered reads as silence.
    auto byteAt = [&](std::size_t at) { return (at - at % 4) + 4 <= block.size() ? block[at] : std::uint8_t{0}; };
    const std::uint8_t lo = byteAt(blockOffsetOfStreamByte(2 * i + 1));
    const std::uint8_t hi = byteAt(blockOffsetOfStreamByte(2 * i + 2));
    x[2 * p] = static_cast<std::int16_t>(static_cast<std::uint16_t>(hi << 8 | lo));
  }
  return x;
}

struct FrameExpectation {
  std::int32_t peakBin = 0;
  double power = 0;
  std::int32_t strong = 0;
  double average = 0;              // halving average of the strong bins, ascending
  std::vector<std::int32_t> bins;  // the strong bins, ascending
};

FrameExpectation expectFrame(const std::vector<std::uint8_t>& block, int f) {
  std::vector<double> x = frameInput(block, f);
  reference::textbookTransform(x);
  FrameExpectation e;
  double best = -1;
  for (std::int32_t k = 0; k <= 8192; ++k) {
    const double p = x[2 * k] * x[2 * k] + x[2 * k + 1] * x[2 * k + 1];
    if (p > best) best = p, e.peakBin = k;
  }
  auto scaled = [&](std::int32_t k) { return std::pow(x[2 * k] / 1e6, 2) + std::pow(x[2 * k + 1] / 1e6, 2); };
  e.power = scaled(e.peakBin);
  const double T = e.power / 500;
  for (std::int32_t k = 1; k <= 8192; ++k)
    if (scaled(k) * std::pow(T, 1.7373) > T * T) {
      e.average = ++e.strong == 1 ? k : (e.average + k) / 2;
      e.bins.push_back(k);
    }
  return e;
}

class Analysis : public ::testing::Test {
 protected:
  void SetUp() override {
    gTotalTunes_L = 1;
    gTunes_A[1] = Tune{};
    resetAnalysisState(st);
  }
  std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
  AnalysisState& st = *state;
  MovieRecord movie;

  void play(const std::vector<std::uint8_t>& block, std::int32_t seconds = 200) {
    movie.duration = seconds * kMovieTimeScale;
    movie.sound = [block](std::int32_t) { return block; };
  }
};

std::int16_t tone(std::size_t frame, double binsOfStream, double amplitude) {
  // Stream positions advance 3 for every 4 frames, so a tone of k bins in
  // the stream runs at k * 33075 / 16384 cycles per second.
  const double hz = binsOfStream * 33075.0 / 16384.0;
  return static_cast<std::int16_t>(std::lround(amplitude * std::sin(6.283185307179586 * hz * frame / 44100.0)));
}

}  // namespace

// ---- The transform ----------------------------------------------------------

// The measures above compare with the textbook loop bit for bit; this checks
// the loop itself against the sums it stands for. The twiddles use
// 6.2831853072 for 2 pi and a recurrence that drifts by about one rounding
// per step: every bin is within about 1e-11 * sum|x| of the exact sum, plus
// rounding. A wrong sign, order or twiddle is off by far more.
TEST(Transform, AgreesWithDirectEvaluation) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> sample(-32768, 32767);
  std::vector<double> input(16384), x(2 * 16384, 0.0);
  double sumAbs = 0;
  for (std::size_t p = 0; p < 16384; ++p) sumAbs += std::fabs(x[2 * p] = input[p] = sample(rng));
  transform16384(x);
  for (std::int32_t k : {0, 1, 3, 511, 5461, 8191, 8192, 8193, 16383}) {
    const auto [re, im] = reference::directBin(input, k);
    EXPECT_NEAR(x[2 * k], static_cast<double>(re), 1e-9 * sumAbs) << "bin " << k;
    EXPECT_NEAR(x[2 * k + 1], static_cast<double>(im), 1e-9 * sumAbs) << "bin " << k;
  }
}

TEST(Transform, EveryPathGivesTheTextbookLoopsBits) {
  // Random complex points (the analysis only feeds real ones, which hide
  // a swapped real and imaginary operand), against the loop that evaluates
  // the twiddle recurrence column by column: the table, the two-column
  // registers and the bit-reversed entry must not change a bit.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> value(-40000.0, 40000.0);
  std::vector<double> input(2 * 16384);
  for (double& v : input) v = value(rng);
  std::vector<double> expected = input;
  reference::textbookTransform(expected);
  std::vector<double> whole = input;
  transform16384(whole);
  EXPECT_EQ(std::memcmp(whole.data(), expected.data(), expected.size() * sizeof(double)), 0);

  const TransformTables& tables = transformTables();
  for (const bool vector : {true, false}) {
    allowVectorArithmetic(vector);
    std::vector<double> x(2 * 16384);
    for (std::size_t r = 0; r < 16384; ++r) {
      x[2 * r] = input[2 * std::size_t{tables.reversed[r]}];
      x[2 * r + 1] = input[2 * std::size_t{tables.reversed[r]} + 1];
    }
    transformBitReversed16384(x);
    EXPECT_EQ(std::memcmp(x.data(), expected.data(), expected.size() * sizeof(double)), 0) << vector;
  }
  allowVectorArithmetic(true);
}

// ---- Positions, lengths, refusals --------------------------------------------

TEST_F(Analysis, FourteenPositionsFromTheDuration) {
  // 100001 units at 600 per second.
  const std::int32_t expected[15] = {0,     37000, 49700, 73000, 90000, 10000, 24000, 63000,
                                     18500, 49850, 36500, 45000, 12000, 31500, 5000};
  EXPECT_FALSE(analysisStartTime(0, 100001, 600));
  EXPECT_FALSE(analysisStartTime(15, 100001, 600));
  play(stereoBlock([](std::size_t, int) { return 0; }), 0);
  movie.duration = 100001;
  for (std::int32_t part = 1; part <= 14; ++part) {
    EXPECT_EQ(analysisStartTime(part, 100001, 600), expected[part]);
    ASSERT_EQ(measureTuneAudio(st, &movie, part, gTunes_A[1]), noErr);
    EXPECT_EQ(movie.starts.back(), expected[part]);
  }
  EXPECT_EQ(st.gFundCount_S, 28);
  EXPECT_EQ(measureTuneAudio(st, &movie, 15, gTunes_A[1]), -50);
}

TEST_F(Analysis, LengthFieldsFirstThenRefusalsByTheirCodes) {
  play(stereoBlock([](std::size_t, int) { return 0; }));
  gTunes_A[1].fileLength = 1620000;
  movie.duration = 27 * 600 - 1;
  EXPECT_EQ(measureTuneAudio(st, &movie, 1, gTunes_A[1]), 37);
  EXPECT_TRUE(movie.starts.empty());
  EXPECT_EQ(+gTunes_A[1].durationSeconds, 0);
  movie.duration = 27 * 600;
  EXPECT_EQ(measureTuneAudio(st, &movie, 1, gTunes_A[1]), noErr);
  EXPECT_EQ(+gTunes_A[1].durationSeconds, 27);
  EXPECT_EQ(+gTunes_A[1].dataRate, 100);  // 1,620,000 / (27 * 600)
  movie.scale = 0;                        // no time scale: no length rather than a crash
  EXPECT_EQ(measureTuneAudio(st, &movie, 1, gTunes_A[1]), 37);

  gTunes_A[1].fileLength = 0;  // dataRate is left alone when the length is unknown
  play(stereoBlock([](std::size_t, int) { return 100; }, kFrames, 1), 100);
  movie.scale = kMovieTimeScale;
  EXPECT_EQ(measureTuneAudio(st, &movie, 1, gTunes_A[1]), 20);  // mono
  EXPECT_EQ(+gTunes_A[1].durationSeconds, 100);
  EXPECT_EQ(+gTunes_A[1].dataRate, 100);
  EXPECT_EQ(st.gFundCount_S, 2);  // only the 27 s call measured
  movie.sound = [](std::int32_t) { return std::vector<std::uint8_t>(10, 2); };
  EXPECT_EQ(measureTuneAudio(st, &movie, 1, gTunes_A[1]), 20);  // too short even for a header
  movie.memError = -108;
  EXPECT_EQ(measureTuneAudio(st, &movie, 3, gTunes_A[1]), -108);
  movie.exportError = -2048;
  EXPECT_EQ(measureTuneAudio(st, &movie, 2, gTunes_A[1]), -2048);
}

// ---- Measures ------------------------------------------------------------------

TEST_F(Analysis, EqualPowersKeepTheLowerBin) {
  // Words +1 at position 0 and -1 at 8192: every odd bin has power exactly 4,
  // every even bin 0. The lowest odd bin wins.
  std::vector<std::uint8_t> block = stereoBlock([](std::size_t, int) { return 0; });
  block[blockOffsetOfStreamByte(1)] = 0x01;
  block[blockOffsetOfStreamByte(2 * 8192 + 1)] = 0xFF;
  block[blockOffsetOfStreamByte(2 * 8192 + 2)] = 0xFF;
  play(block);
  ASSERT_EQ(measureTuneAudio(st, &movie, 1, gTunes_A[1]), noErr);
  EXPECT_EQ(samplePitchAt(gTunes_A[1], 1), 1);
  EXPECT_EQ(samplePitchAt(gTunes_A[1], 2), 0);  // the second frame is silent
  EXPECT_EQ(sampleAmplitudeAt(gTunes_A[1], 2), 0);
  EXPECT_EQ(st.gTotalUniqueFundPitches_L, 2);
  // Too quiet for any strong bin: each frame's pitch is its dominant bin.
  EXPECT_EQ(st.gCTCounter_L, 0);
  EXPECT_EQ(st.gBypassCntOne_L, 0);
  EXPECT_EQ(st.gAverageTunePitch_D, 0.5);
}

TEST_F(Analysis, RunsAreBitIdenticalAndShortExportsReadSilence) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> noise(-9000, 9000);
  std::vector<std::int16_t> samples(2 * kFrames);
  for (auto& s : samples) s = static_cast<std::int16_t>(noise(rng));
  const auto block = stereoBlock([&](std::size_t f, int c) { return samples[2 * f + static_cast<std::size_t>(c)]; });
  play(block);

  // A second run, one column and one bin at a time, leaves the same bits.
  auto run = [&](bool vector) {
    allowVectorArithmetic(vector);
    gTotalTunes_L = 1;
    gTunes_A[1] = Tune{};
    resetAnalysisState(st);
    for (int part = 1; part <= 14; ++part) EXPECT_EQ(measureTuneAudio(st, &movie, part, gTunes_A[1]), noErr);
    allowVectorArithmetic(true);
    std::vector<std::uint8_t> record(sizeof(Tune));
    std::memcpy(record.data(), &gTunes_A[1], sizeof(Tune));
    const std::vector<double> spectrum(st.arr_DA.begin(), st.arr_DA.end());
    return std::make_tuple(record, spectrum, st.gCTCounter_L, st.gTotalPitches_UL, st.gBypassCntOne_L,
                           st.gAverageUniquePitch_D, st.gAverageTunePitch_D);
  };
  const auto first = run(true);
  EXPECT_EQ(first, run(false));
  EXPECT_EQ(+gTunes_A[1].firstPassStrongBins, expectFrame(block, 1).strong);
  EXPECT_GT(+gTunes_A[1].firstPassStrongBins, 1000);
  EXPECT_EQ(st.gFundCount_S, 28);
  EXPECT_EQ(st.gBypassCntOne_L, std::get<4>(first));
  EXPECT_LE(st.gBypassCntOne_L, 8192);

  // Only 1001 frames and three bytes delivered: the rest of the second,
  // the incomplete frame included, reads as silence and frame 2 (stream
  // positions 16384..) is silent too.
  auto shortBlock =
      stereoBlock([&](std::size_t f, int c) { return samples[2 * f + static_cast<std::size_t>(c)]; }, 1001);
  shortBlock.insert(shortBlock.end(), {0x7F, 0x7F, 0x7F});
  play(shortBlock);
  resetAnalysisState(st);
  ASSERT_EQ(measureTuneAudio(st, &movie, 1, gTunes_A[1]), noErr);
  const FrameExpectation heard = expectFrame(shortBlock, 1);
  EXPECT_EQ(samplePitchAt(gTunes_A[1], 1), heard.peakBin);
  EXPECT_EQ(sampleAmplitudeAt(gTunes_A[1], 1), static_cast<std::int16_t>(std::llrint(heard.power) & 0xFFFF));
  EXPECT_EQ(+gTunes_A[1].firstPassStrongBins, heard.strong);
  EXPECT_EQ(samplePitchAt(gTunes_A[1], 2), 0);
  EXPECT_EQ(sampleAmplitudeAt(gTunes_A[1], 2), 0);
}

TEST_F(Analysis, DistinctChannelsFillTheAccumulatorsAsTheModelDoes) {
  // Left: noise; right: a tone over quieter noise. Frame 1 hears only the
  // left channel, frame 2 the left up to stream slot 22,050 and the right after.
  std::mt19937 rng(6);
  std::uniform_int_distribution<int> noise(-9000, 9000);
  std::vector<std::int16_t> samples(2 * kFrames);
  for (std::size_t f = 0; f < kFrames; ++f) {
    samples[2 * f] = static_cast<std::int16_t>(noise(rng));
    samples[2 * f + 1] = static_cast<std::int16_t>(tone(f, 2100, 20000) + noise(rng) / 8);
  }
  const auto block = stereoBlock([&](std::size_t f, int c) { return samples[2 * f + static_cast<std::size_t>(c)]; });
  play(block);
  ASSERT_EQ(measureTuneAudio(st, &movie, 1, gTunes_A[1]), noErr);
  // The spectrum left by the second frame, to the bit: the words read from
  // both channels and placed as the textbook transform expects them.
  std::vector<double> spectrum = frameInput(block, 2);
  reference::textbookTransform(spectrum);
  EXPECT_EQ(std::memcmp(spectrum.data(), st.arr_DA.data(), spectrum.size() * sizeof(double)), 0);

  const FrameExpectation e[2] = {expectFrame(block, 1), expectFrame(block, 2)};
  ASSERT_NE(e[0].peakBin, e[1].peakBin);
  ASSERT_GE(e[0].average - std::trunc(e[0].average), 0.5) << "truncation and rounding must differ here";
  std::uint32_t total = 0;
  std::vector<std::int32_t> distinct;
  double unique = 0;
  for (const FrameExpectation& f : e)
    for (std::int32_t k : f.bins) {
      total += static_cast<std::uint32_t>(k);
      if (std::find(distinct.begin(), distinct.end(), k) != distinct.end()) continue;
      unique = distinct.empty() ? k : (unique + k) / 2;
      distinct.push_back(k);
    }
  const Tune& t = gTunes_A[1];
  for (int f = 1; f <= 2; ++f) {
    EXPECT_EQ(samplePitchAt(t, f), e[f - 1].peakBin) << f;
    EXPECT_EQ(sampleAmplitudeAt(t, f), static_cast<std::int16_t>(std::llrint(e[f - 1].power) & 0xFFFF)) << f;
  }
  EXPECT_EQ(st.gCTCounter_L, e[0].strong + e[1].strong);
  EXPECT_EQ(st.gTotalPitches_UL, total);
  EXPECT_EQ(st.gBypassCntOne_L, static_cast<std::int32_t>(distinct.size()));
  EXPECT_DOUBLE_EQ(st.gAverageUniquePitch_D, unique);
  EXPECT_DOUBLE_EQ(st.gAverageTunePitch_D, (e[0].average + e[1].average) / 2);
  EXPECT_EQ(+t.firstPassStrongBins, e[0].strong);
  EXPECT_EQ(+t.firstPassDistinctBins, e[0].strong);
  EXPECT_EQ(+t.firstPassTunePitch, static_cast<std::int32_t>(e[0].average));
  EXPECT_EQ(e[1].peakBin, 2100);  // the tone, where the one-byte-in read puts it

  // The next call adds frames 3 and 4; bins already listed are not listed again.
  const std::int32_t listed = st.gBypassCntOne_L, counted = st.gCTCounter_L;
  ASSERT_EQ(measureTuneAudio(st, &movie, 2, gTunes_A[1]), noErr);
  EXPECT_EQ(st.gBypassCntOne_L, listed);
  EXPECT_EQ(st.gCTCounter_L, 2 * counted);
  EXPECT_EQ(samplePitchAt(t, 4), e[1].peakBin);
}

TEST_F(Analysis, AccumulatorsLeftUnclearedNeverWritePastTheRecord) {
  play(stereoBlock([](std::size_t f, int) { return tone(f, 300, 12000); }));
  for (int call = 0; call < 40; ++call) ASSERT_EQ(measureTuneAudio(st, &movie, 1 + call % 14, gTunes_A[1]), noErr);
  EXPECT_EQ(st.gFundCount_S, 80);
  const Tune& t = gTunes_A[1];
  EXPECT_EQ(samplePitchAt(t, 60), 300);
  EXPECT_EQ(samplePitchAt(t, 0), 0);
  EXPECT_EQ(sampleAmplitudeAt(t, 0), 0);  // where a 61st pitch would land
  const std::uint8_t* after = reinterpret_cast<const std::uint8_t*>(&t) + offsetof(Tune, reserved3814);
  EXPECT_EQ(after[0] | after[1], 0);  // where a 61st amplitude would land
}
