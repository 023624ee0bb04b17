#include "engine/analysis.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <cstddef>
#include <vector>

#include "engine/transform_tables.h"
#include "library/tune.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr std::size_t kFramesPerSecond = 44100;
constexpr std::size_t kCompactedSlots = 33075;
constexpr std::size_t kCompactedBytes = kCompactedSlots * 2;  // 66,150
constexpr std::size_t kFirstChannelSlots = 22050;
constexpr double kPowerScale = 1000000.0;

// Nearest integer, ties to even, kept inside 64 bits.
std::int64_t roundEven(double v) {
  if (!(v == v)) return 0;
  if (v >= 9.2e18) return INT64_MAX;
  if (v <= -9.2e18) return INT64_MIN;
  return static_cast<std::int64_t>(std::nearbyint(v));
}

double scaledPower(double re, double im) {
  const double r = re / kPowerScale;
  const double i = im / kPowerScale;
  return r * r + i * i;
}

// Re^2 + Im^2 of bins 0..8192 of the spectrum `x` into `power`.
void plainPowersEach(const double* x, double* power) {
  for (std::size_t k = 0; k <= kSpectrumBins; ++k) power[k] = x[2 * k] * x[2 * k] + x[2 * k + 1] * x[2 * k + 1];
}

// Bins 1..8192 of the spectrum `x` that are strong, ascending, into `out`;
// their number. A bin whose plain power lies below `clearlyWeak` is not
// tested further.
std::size_t strongBinsEach(const double* x, const double* power, double clearlyWeak, double Q, double T2,
                           std::int32_t* out) {
  std::size_t n = 0;
  for (std::size_t k = 1; k <= kSpectrumBins; ++k)
    if (!(power[k] < clearlyWeak) && scaledPower(x[2 * k], x[2 * k + 1]) * Q > T2)
      out[n++] = static_cast<std::int32_t>(k);
  return n;
}

#if defined(__x86_64__)
// The same two loops four bins at a time. Each lane does the one-bin loop's
// operations in its order (the two squares, then their sum; the quotients,
// squares, sum, product and comparison), never fused, so every power and
// every verdict is the same to the bit.
__attribute__((target("avx2"))) void plainPowersAvx2(const double* x, double* power) {
  for (std::size_t k = 0; k + 4 <= kSpectrumBins; k += 4) {
    const __m256d lo = _mm256_loadu_pd(x + 2 * k);                                      // re0 im0 re1 im1
    const __m256d hi = _mm256_loadu_pd(x + 2 * k + 4);                                  // re2 im2 re3 im3
    const __m256d sums = _mm256_hadd_pd(_mm256_mul_pd(lo, lo), _mm256_mul_pd(hi, hi));  // p0 p2 p1 p3
    _mm256_storeu_pd(power + k, _mm256_permute4x64_pd(sums, 0b11011000));
  }
  power[kSpectrumBins] =
      x[2 * kSpectrumBins] * x[2 * kSpectrumBins] + x[2 * kSpectrumBins + 1] * x[2 * kSpectrumBins + 1];
}

static_assert(kSpectrumBins % 4 == 0, "bins 1..8192 and 0..8191 go four at a time");

__attribute__((target("avx2"))) std::size_t strongBinsAvx2(const double* x, const double* power, double clearlyWeak,
                                                           double Q, double T2, std::int32_t* out) {
  const __m256d scale = _mm256_set1_pd(kPowerScale), q = _mm256_set1_pd(Q), t2 = _mm256_set1_pd(T2);
  const __m256d weak = _mm256_set1_pd(clearlyWeak);
  std::size_t n = 0;
  for (std::size_t k = 1; k + 3 <= kSpectrumBins; k += 4) {
    const __m256d lo = _mm256_div_pd(_mm256_loadu_pd(x + 2 * k), scale);
    const __m256d hi = _mm256_div_pd(_mm256_loadu_pd(x + 2 * k + 4), scale);
    const __m256d scaled =
        _mm256_permute4x64_pd(_mm256_hadd_pd(_mm256_mul_pd(lo, lo), _mm256_mul_pd(hi, hi)), 0b11011000);
    const __m256d strong = _mm256_andnot_pd(_mm256_cmp_pd(_mm256_loadu_pd(power + k), weak, _CMP_LT_OQ),
                                            _mm256_cmp_pd(_mm256_mul_pd(scaled, q), t2, _CMP_GT_OQ));
    for (unsigned bits = static_cast<unsigned>(_mm256_movemask_pd(strong)); bits != 0; bits &= bits - 1)
      out[n++] = static_cast<std::int32_t>(k) + __builtin_ctz(bits);
  }
  return n;
}
#endif

void plainPowers(const double* x, double* power) {
#if defined(__x86_64__)
  if (vectorArithmetic(true)) return plainPowersAvx2(x, power);
#endif
  plainPowersEach(x, power);
}

std::size_t strongBins(const double* x, const double* power, double clearlyWeak, double Q, double T2,
                       std::int32_t* out) {
#if defined(__x86_64__)
  if (vectorArithmetic(true)) return strongBinsAvx2(x, power, clearlyWeak, Q, T2, out);
#endif
  return strongBinsEach(x, power, clearlyWeak, Q, T2, out);
}

}  // namespace

std::int16_t misalignedWord(std::span<const std::uint8_t> stream, std::int32_t index) {
  const std::size_t lo = 2 * static_cast<std::size_t>(index) + 1;
  const std::uint8_t low = lo < stream.size() ? stream[lo] : 0;
  const std::uint8_t high = lo + 1 < stream.size() ? stream[lo + 1] : 0;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(high << 8 | low));
}

std::optional<std::int32_t> analysisStartTime(std::int32_t part, std::int32_t D, std::int32_t S) {
  const double d = D;
  auto at = [](double v) { return static_cast<std::int32_t>(std::trunc(v)); };
  switch (part) {
    case 1: return at(0.37 * d);
    case 2: return D / 2 - S / 2;
    case 3: return at(0.73 * d);
    case 4: return at(0.9 * d);
    case 5: return at(0.1 * d);
    case 6: return at(0.24 * d);
    case 7: return at(0.63 * d);
    case 8: return at(0.37 * d * 0.5);
    case 9: return D / 2 - S / 4;
    case 10: return at(0.73 * d * 0.5);
    case 11: return at(0.9 * d * 0.5);
    case 12: return at(0.24 * d * 0.5);
    case 13: return at(0.63 * d * 0.5);
    case 14: return at(0.1 * d * 0.5);
    default: return std::nullopt;
  }
}

namespace {

// One frame: transform the stream's 16,383 words from `first`, find the
// dominant and the strong bins, and fold them into the accumulators and the
// tune's record.
void analyseFrame(AnalysisState& st, std::span<const std::uint8_t> stream, std::int32_t first, Tune& tune) {
  // Entries 0..32768: the words as real parts, every imaginary part and the
  // last point zero. Each point is written straight to its bit-reversed place,
  // where the transform's exchange pass would have moved it.
  const TransformTables& tables = transformTables();
  double* x = st.arr_DA.data();
  const std::size_t lastByte = 2 * (static_cast<std::size_t>(first) + kFFTPoints - 2) + 2;
  if (first >= 0 && lastByte < stream.size()) {
    const std::uint8_t* bytes = stream.data() + 2 * static_cast<std::size_t>(first);
    for (std::size_t r = 0; r < static_cast<std::size_t>(kFFTPoints); ++r) {
      const std::size_t p = tables.reversed[r];
      x[2 * r] = p == kFFTPoints - 1
                     ? 0.0
                     : static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * p + 2] << 8 | bytes[2 * p + 1]));
      x[2 * r + 1] = 0.0;
    }
  } else {
    for (std::size_t r = 0; r < static_cast<std::size_t>(kFFTPoints); ++r) {
      const std::int32_t p = tables.reversed[r];
      x[2 * r] = p == kFFTPoints - 1 ? 0.0 : misalignedWord(stream, first + p);
      x[2 * r + 1] = 0.0;
    }
  }
  x[2 * kFFTPoints] = 0.0;
  transformBitReversed16384(std::span<double>(st.arr_DA.data(), 2 * kFFTPoints));

  auto re = [&st](std::int32_t k) { return st.arr_DA[2 * static_cast<std::size_t>(k)]; };
  auto im = [&st](std::int32_t k) { return st.arr_DA[2 * static_cast<std::size_t>(k) + 1]; };

  auto& power = st.power;
  plainPowers(st.arr_DA.data(), power.data());
  // The first bin of the largest power, bin 0 unless a later bin is strictly
  // greater: the largest power of bins 1..8192 first (four independent
  // running maxima), then where it first occurs.
  double most[4] = {power[1], power[2], power[3], power[4]};
  for (std::size_t k = 5; k + 3 <= kSpectrumBins; k += 4)
    for (std::size_t lane = 0; lane < 4; ++lane) most[lane] = std::max(most[lane], power[k + lane]);
  const double largest = std::max({most[0], most[1], most[2], most[3], power[kSpectrumBins]});
  std::int32_t peakBin = 0;
  if (largest > power[0]) {
    peakBin = 1;
    while (peakBin < kSpectrumBins && power[static_cast<std::size_t>(peakBin)] != largest) ++peakBin;
  }

  const double P = scaledPower(re(peakBin), im(peakBin));
  const double T = P / 500.0;
  const double Q = std::pow(T, 1.7373);
  const double T2 = T * T;
  // The scaled power of a bin is its plain power times 1e-12 within a few
  // units in the last place, so a bin whose plain power lies clearly below
  // the threshold cannot be strong; only the others need the exact test.
  double clearlyWeak = Q > 0.0 && std::isfinite(Q) && std::isfinite(T2) ? T2 / Q * 1e12 * (1.0 - 1e-9) : -1.0;
  if (!std::isfinite(clearlyWeak)) clearlyWeak = -1.0;

  // Membership of the distinct-bin list, rebuilt from the list itself so it
  // answers exactly as a search of entries 1..gBypassCntOne_L would.
  std::bitset<kSpectrumBins + 1> seen;
  const std::int32_t listed = std::clamp<std::int32_t>(st.gBypassCntOne_L, 0, 30000);
  for (std::int32_t j = 1; j <= listed; ++j) {
    const std::int32_t v = st.gTempCounterOne_LA[static_cast<std::size_t>(j)];
    if (v >= 1 && v <= kSpectrumBins) seen.set(static_cast<std::size_t>(v));
  }

  const std::size_t strongCount = strongBins(st.arr_DA.data(), power.data(), clearlyWeak, Q, T2, st.strongBins.data());
  std::int32_t c = 0;
  double a = 0.0;
  for (std::size_t j = 0; j < strongCount; ++j) {
    const std::int32_t k = st.strongBins[j];
    ++c;
    st.gTotalPitches_UL += static_cast<std::uint32_t>(k);
    a = c == 1 ? k : (a + k) / 2.0;
    if (!seen.test(static_cast<std::size_t>(k)) && st.gBypassCntOne_L >= 0 && st.gBypassCntOne_L < 30000) {
      seen.set(static_cast<std::size_t>(k));
      st.gAverageUniquePitch_D = st.gBypassCntOne_L == 0 ? k : (st.gAverageUniquePitch_D + k) / 2.0;
      st.gTempCounterOne_LA[static_cast<std::size_t>(++st.gBypassCntOne_L)] = k;
    }
  }
  const std::int32_t d = st.gBypassCntOne_L;

  st.gCTCounter_L += c;
  const std::int32_t funds = std::clamp<std::int32_t>(st.gTotalUniqueFundPitches_L, 0, kSampleCapacity);
  const bool known = std::find(st.gUniqueFundOffPass_LA.begin() + 1, st.gUniqueFundOffPass_LA.begin() + 1 + funds,
                               peakBin) != st.gUniqueFundOffPass_LA.begin() + 1 + funds;
  if (!known && funds == st.gTotalUniqueFundPitches_L && funds < kSampleCapacity)
    st.gUniqueFundOffPass_LA[static_cast<std::size_t>(++st.gTotalUniqueFundPitches_L)] = peakBin;

  if (c == 0) a = peakBin;
  st.gAverageTunePitch_D = st.gAverageTunePitch_D == 0.0 ? a : (st.gAverageTunePitch_D + a) / 2.0;

  if (st.gFundCount_S < INT16_MAX) ++st.gFundCount_S;
  const std::int32_t n = st.gFundCount_S;
  // Entries beyond the record's 60 are not stored: a driver that forgot to
  // clear the accumulators must not write past the arrays.
  if (n >= 1 && n <= kSampleCapacity) {
    setSampleAmplitude(tune, n, static_cast<std::int16_t>(static_cast<std::uint16_t>(roundEven(P) & 0xFFFF)));
    setSamplePitch(tune, n, peakBin);
  }
  if (n == 1) {
    tune.firstPassStrongBins = c;
    tune.firstPassDistinctBins = d;
    tune.firstPassTunePitch = static_cast<std::int32_t>(st.gAverageTunePitch_D);
  }
}

}  // namespace

OSErr measureTuneAudio(AnalysisState& st, Movie movie, std::int32_t part, Tune& tune) {
  st.gDomFreqCnt_L = 0;
  std::vector<std::uint8_t> block;  // the sound block; released on every return

  const std::int32_t S = GetMovieTimeScale(movie);
  const std::int32_t D = GetMovieDuration(movie);
  // A movie without a usable time scale has no length to speak of.
  const std::int32_t secs = S > 0 ? D / S : 0;
  if (secs <= 26) return kTuneTooShort;

  const std::uint32_t fileLength = tune.fileLength;
  if (fileLength != 0)
    tune.dataRate = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(fileLength / (static_cast<std::uint64_t>(secs) * static_cast<std::uint64_t>(S))));
  tune.durationSeconds = secs;
  st.timeScale = S;

  const std::optional<std::int32_t> start = analysisStartTime(part, D, S);
  if (!start) return -50;
  if (OSErr err = PutMovieIntoTypedHandle(movie, block, *start, S); err != noErr) return err;
  if (OSErr err = MemError(); err != noErr) return err;

  if (block.size() <= 24 || block[24] != 2) return kNotStereo;

  // De-interleave and compact in one walk: three of every four frames give
  // the compacted stream one slot each, the first 22,050 slots from the left
  // channel and the rest from the right, written over the start of the block.
  // Frame j of the second is taken only when its four bytes are all there; a
  // short export leaves the slots of the frames it lacks silent. Each slot is
  // read further on in the block than any slot written so far.
  const std::size_t frames =
      block.size() >= kSoundHeaderBytes + 4 ? std::min((block.size() - kSoundHeaderBytes) / 4, kFramesPerSecond) : 0;
  if (block.size() < kCompactedBytes) block.resize(kCompactedBytes, 0);
  std::uint8_t* bytes = block.data();
  for (std::size_t slot = 0; slot < kCompactedSlots; ++slot) {
    const std::size_t j = 4 * (slot / 3) + slot % 3 + 1;
    std::uint8_t hi = 0, lo = 0;
    if (j < frames) {
      const std::size_t from = kSoundHeaderBytes + 4 * j + (slot < kFirstChannelSlots ? 0 : 2);
      hi = bytes[from];
      lo = bytes[from + 1];
    }
    bytes[2 * slot] = hi;
    bytes[2 * slot + 1] = lo;
  }
  const std::span<const std::uint8_t> stream(block.data(), kCompactedBytes);

  for (std::int32_t f = 1; f <= 2; ++f) analyseFrame(st, stream, (f - 1) * kFFTPoints, tune);
  return noErr;
}
