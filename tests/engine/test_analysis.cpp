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
  std::vector<std::uint8_t> block;
  OSErr exportError = noErr;
  OSErr memError = noErr;
  std::vector<std::int32_t> starts;
};

static MovieRecord* gLastMovie = nullptr;

std::int32_t GetMovieTimeScale(Movie m) { return m->scale; }
std::int32_t GetMovieDuration(Movie m) { return m->duration; }
OSErr PutMovieIntoTypedHandle(Movie m, std::vector<std::uint8_t>& block, std::int32_t start, std::int32_t duration) {
  gLastMovie = m;
  m->starts.push_back(start);
  EXPECT_EQ(duration, m->scale);
  if (m->exportError != noErr) return m->exportError;
  block = m->block;
  return noErr;
}
OSErr MemError() { return gLastMovie ? gLastMovie->memError : noErr; }

namespace {

constexpr std::size_t kFrames = 44100;

// A sound block as the services deliver it: 84 header bytes with the channel
// count at 24, then big-endian stereo frames.
std::vector<std::uint8_t> stereoBlock(const std::function<std::int16_t(std::size_t frame, int channel)>& sample) {
  std::vector<std::uint8_t> b(kSoundHeaderBytes + kFrames * 4, 0);
  b[24] = 2;
  for (std::size_t at = kSoundHeaderBytes; at < b.size(); at += 2) {
    const auto v = static_cast<std::uint16_t>(sample((at - kSoundHeaderBytes) / 4, (at / 2) % 2));
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
  }
  return b;
}

bool sameBits(std::span<const double> a, std::span<const double> b) {
  return std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
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

// A frame's dominant bin and its scaled power, rounded, in 16 bits: the
// sample the record stores.
using Sample = std::pair<std::int32_t, std::int16_t>;
Sample sampleAt(const Tune& t, std::int32_t n) { return {samplePitchAt(t, n), sampleAmplitudeAt(t, n)}; }

struct FrameExpectation {
  Sample sample;
  double average = 0;              // halving average of the strong bins, ascending
  std::vector<std::int32_t> bins;  // the strong bins, ascending
  std::int32_t strong() const { return static_cast<std::int32_t>(bins.size()); }
};

FrameExpectation expectFrame(const std::vector<std::uint8_t>& block, int f) {
  std::vector<double> x = frameInput(block, f);
  reference::textbookTransform(x);
  auto power = [&](std::int32_t k) { return x[2 * k] * x[2 * k] + x[2 * k + 1] * x[2 * k + 1]; };
  std::int32_t peak = 0;
  for (std::int32_t k = 1; k <= 8192; ++k)
    if (power(k) > power(peak)) peak = k;
  auto scaled = [&](std::int32_t k) { return std::pow(x[2 * k] / 1e6, 2) + std::pow(x[2 * k + 1] / 1e6, 2); };
  const double T = scaled(peak) / 500;
  FrameExpectation e{{peak, static_cast<std::int16_t>(std::llrint(scaled(peak)) & 0xFFFF)}, 0, {}};
  for (std::int32_t k = 1; k <= 8192; ++k)
    if (scaled(k) * std::pow(T, 1.7373) > T * T) {
      e.average = e.bins.empty() ? k : (e.average + k) / 2;
      e.bins.push_back(k);
    }
  return e;
}

class Analysis : public ::testing::Test {
 protected:
  void SetUp() override {
    gTunes_A[1] = Tune{};
    resetAnalysisState(st);
  }
  std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
  AnalysisState& st = *state;
  MovieRecord movie;
  const Tune& t = gTunes_A[1];

  void play(const std::vector<std::uint8_t>& block, std::int32_t duration = 200 * kMovieTimeScale) {
    movie.duration = duration;
    movie.block = block;
  }
  OSErr measure(std::int32_t part) { return measureTuneAudio(st, &movie, part, gTunes_A[1]); }
};

std::int16_t tone(std::size_t frame, double binsOfStream, double amplitude) {
  // Stream positions advance 3 for every 4 frames, so a tone of k bins in
  // the stream runs at k * 33075 / 16384 cycles per second.
  const double hz = binsOfStream * 33075.0 / 16384.0;
  return static_cast<std::int16_t>(std::lround(amplitude * std::sin(6.283185307179586 * hz * frame / 44100.0)));
}

// Left: noise; right: a tone of bin 2100 over quieter noise.
std::vector<std::uint8_t> distinctChannels() {
  std::mt19937 rng(6);
  std::uniform_int_distribution<int> noise(-9000, 9000);
  return stereoBlock([&](std::size_t f, int c) {
    return static_cast<std::int16_t>(c == 0 ? noise(rng) : tone(f, 2100, 20000) + noise(rng) / 8);
  });
}

}  // namespace

// ---- The transform ----------------------------------------------------------

// The measures below compare with the textbook loop bit for bit. The
// analysis feeds only real points, which hide a swapped real and imaginary
// operand: random complex ones here. The table, the two-column registers and
// the bit-reversed entry must not change a bit of the loop's result, and the
// loop must agree with the sums it stands for. Its twiddles use 6.2831853072
// for 2 pi and a recurrence that drifts by about one rounding per step: every
// bin is within about 1e-11 * sum|x| of the exact sum, plus rounding. A wrong
// sign, order or twiddle is off by far more.
TEST(Transform, EveryPathGivesTheTextbookLoopsBitsAndTheDirectSums) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> value(-40000.0, 40000.0);
  std::vector<double> input(2 * 16384);
  double sumAbs = 0;
  for (double& v : input) sumAbs += std::fabs(v = value(rng));
  std::vector<double> expected = input;
  reference::textbookTransform(expected);
  for (std::int32_t k : {0, 1, 3, 511, 5461, 8191, 8192, 8193, 16383}) {
    const auto [re, im] = reference::directBin(input, k);
    EXPECT_LE(std::hypot(expected[2 * k] - re, expected[2 * k + 1] - im), 1e-9 * sumAbs) << "bin " << k;
  }
  for (const bool vector : {true, false}) {
    allowVectorArithmetic(vector);
    std::vector<double> whole = input, x(2 * 16384);
    transform16384(whole);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = input[2 * std::size_t{transformTables().reversed[i / 2]} + i % 2];
    transformBitReversed16384(x);
    EXPECT_TRUE(sameBits(whole, expected) && sameBits(x, expected)) << vector;
  }
  allowVectorArithmetic(true);
}

// ---- Positions, lengths, refusals --------------------------------------------

TEST_F(Analysis, FourteenPositionsFromTheDuration) {
  // 100001 units at 600 per second.
  const std::vector<std::int32_t> expected = {37000, 49700, 73000, 90000, 10000, 24000, 63000,
                                              18500, 49850, 36500, 45000, 12000, 31500, 5000};
  play(stereoBlock([](std::size_t, int) { return 0; }), 100001);
  for (std::int32_t part = 1; part <= 14; ++part) ASSERT_EQ(measure(part), noErr);
  EXPECT_EQ(movie.starts, expected);
  EXPECT_EQ(measure(15), -50);
  EXPECT_FALSE(analysisStartTime(0, 100001, 600));
}

TEST_F(Analysis, LengthFieldsFirstThenRefusalsByTheirCodes) {
  std::vector<std::uint8_t> block = stereoBlock([](std::size_t, int) { return 100; });
  play(block, 27 * 600 - 1);
  gTunes_A[1].fileLength = 1620000;
  EXPECT_EQ(measure(1), 37);
  EXPECT_EQ(std::pair(movie.starts.size(), +t.durationSeconds), std::pair(std::size_t{0}, 0));
  movie.duration = 27 * 600;
  EXPECT_EQ(measure(1), noErr);
  EXPECT_EQ(std::pair(+t.durationSeconds, +t.dataRate), std::pair(27, 100));  // 1,620,000 / (27 * 600)
  movie.scale = 0;  // no time scale: no length rather than a crash
  EXPECT_EQ(measure(1), 37);

  gTunes_A[1].fileLength = 0;  // dataRate is left alone when the length is unknown
  block[24] = 1;
  play(block, 100 * 600);
  movie.scale = kMovieTimeScale;
  EXPECT_EQ(measure(1), 20);  // mono
  // Only the 27 s call measured.
  EXPECT_EQ(std::tuple(+t.durationSeconds, +t.dataRate, +st.gFundCount_S), std::tuple(100, 100, 2));
  movie.block.assign(10, 2);
  EXPECT_EQ(measure(1), 20);  // too short even for a header
  movie.memError = -108;
  EXPECT_EQ(measure(3), -108);
  movie.exportError = -2048;
  EXPECT_EQ(measure(2), -2048);
}

// ---- Measures ------------------------------------------------------------------

TEST_F(Analysis, EqualPowersKeepTheLowerBin) {
  // Words +1 at position 0 and -1 at 8192: every odd bin has power exactly 4,
  // every even bin 0. The lowest odd bin wins. Too quiet for any strong bin:
  // each frame's pitch is its dominant bin; the second frame is silent.
  std::vector<std::uint8_t> block = stereoBlock([](std::size_t, int) { return 0; });
  block[blockOffsetOfStreamByte(1)] = 0x01;
  block[blockOffsetOfStreamByte(2 * 8192 + 1)] = 0xFF;
  block[blockOffsetOfStreamByte(2 * 8192 + 2)] = 0xFF;
  play(block);
  ASSERT_EQ(measure(1), noErr);
  EXPECT_EQ(std::tuple(samplePitchAt(t, 1), sampleAt(t, 2), st.gTotalUniqueFundPitches_L, st.gCTCounter_L,
                       st.gBypassCntOne_L, st.gAverageTunePitch_D),
            std::tuple(1, Sample{}, 2, 0, 0, 0.5));
}

// Frame 1 hears only the left channel, frame 2 the left up to stream slot
// 22,050 and the right after. Both ways of computing, against the model.
TEST_F(Analysis, DistinctChannelsFillTheAccumulatorsAsTheModelDoes) {
  const auto block = distinctChannels();
  const FrameExpectation e[2] = {expectFrame(block, 1), expectFrame(block, 2)};
  ASSERT_EQ(e[1].sample.first, 2100);  // the tone, where the one-byte-in read puts it
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
  // The spectrum left by the second frame, to the bit: the words read from
  // both channels and placed as the textbook transform expects them.
  std::vector<double> spectrum = frameInput(block, 2);
  reference::textbookTransform(spectrum);
  for (const bool vector : {true, false}) {
    SCOPED_TRACE(vector);
    allowVectorArithmetic(vector);
    SetUp();
    play(block);
    ASSERT_EQ(measure(1), noErr);
    EXPECT_TRUE(sameBits(spectrum, st.arr_DA));
    EXPECT_EQ(std::pair(sampleAt(t, 1), sampleAt(t, 2)), std::pair(e[0].sample, e[1].sample));
    EXPECT_EQ(std::tuple(st.gCTCounter_L, st.gTotalPitches_UL, st.gBypassCntOne_L, st.gAverageUniquePitch_D,
                         st.gAverageTunePitch_D),
              std::tuple(e[0].strong() + e[1].strong(), total, static_cast<std::int32_t>(distinct.size()), unique,
                         (e[0].average + e[1].average) / 2));
    EXPECT_EQ(std::tuple(+t.firstPassStrongBins, +t.firstPassDistinctBins, +t.firstPassTunePitch),
              std::tuple(e[0].strong(), e[0].strong(), static_cast<std::int32_t>(e[0].average)));
  }
  allowVectorArithmetic(true);

  // The next call adds frames 3 and 4; bins already listed are not listed again.
  const std::int32_t listed = st.gBypassCntOne_L, counted = st.gCTCounter_L;
  ASSERT_EQ(measure(2), noErr);
  EXPECT_EQ(std::tuple(st.gBypassCntOne_L, st.gCTCounter_L, samplePitchAt(t, 4)),
            std::tuple(listed, 2 * counted, e[1].sample.first));
}

TEST_F(Analysis, ShortExportsReadSilence) {
  // Only 1001 frames and three bytes delivered: the rest of the second, the
  // incomplete frame included, reads as silence and frame 2 (stream
  // positions 16384..) is silent too.
  auto block = distinctChannels();
  block.resize(kSoundHeaderBytes + 1001 * 4);
  block.insert(block.end(), {0x7F, 0x7F, 0x7F});
  play(block);
  ASSERT_EQ(measure(1), noErr);
  const FrameExpectation heard = expectFrame(block, 1);
  EXPECT_EQ(std::tuple(sampleAt(t, 1), sampleAt(t, 2), +t.firstPassStrongBins),
            std::tuple(heard.sample, Sample{}, heard.strong()));
}

TEST_F(Analysis, AccumulatorsLeftUnclearedNeverWritePastTheRecord) {
  play(stereoBlock([](std::size_t f, int) { return tone(f, 300, 12000); }));
  for (int call = 0; call < 40; ++call) ASSERT_EQ(measure(1 + call % 14), noErr);
  // Sample 0 is where a 61st pitch would land, the field after the record's
  // samples where a 61st amplitude would.
  const std::uint8_t* after = reinterpret_cast<const std::uint8_t*>(&t) + offsetof(Tune, reserved3814);
  EXPECT_EQ(std::tuple(+st.gFundCount_S, samplePitchAt(t, 60), sampleAt(t, 0), after[0] | after[1]),
            std::tuple(80, 300, Sample{}, 0));
}
