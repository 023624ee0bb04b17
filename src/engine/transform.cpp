// The analysis transform: 16384 points, radix 2, decimation in time.
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

#include "engine/analysis.h"
#include "engine/transform_tables.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr double kTwoPi = 6.2831853072;  // the ten-decimal value the measures were calibrated with

// Stage 1 joins neighbouring points; its only twiddle is exactly 1 + 0i.
void firstStage(double* d, const Twiddle* w) {
  const double wr = w[0].re, wi = w[0].im;
  for (std::int32_t group = 0; group < kFFTPoints; group += 2) {
    double* a = d + 2 * group;
    double* b = a + 2;
    const double br = b[0], bi = b[1];
    const double tr = wr * br - wi * bi;
    const double ti = wr * bi + wi * br;
    const double ar = a[0], ai = a[1];
    b[0] = ar - tr;
    b[1] = ai - ti;
    a[0] = ar + tr;
    a[1] = ai + ti;
  }
}

void butterflyStagesPlain(double* d, const TransformTables& t) {
  firstStage(d, t.twiddle.data());
  for (std::int32_t s = 2; s <= kFFTBits; ++s) {
    const std::int32_t half = 1 << (s - 1);
    const Twiddle* w = &t.twiddle[static_cast<std::size_t>(half - 1)];
    for (std::int32_t group = 0; group < kFFTPoints; group += 2 * half) {
      double* a = d + 2 * group;
      double* b = a + 2 * half;
      for (std::int32_t m = 0; m < half; ++m) {
        const double wr = w[m].re, wi = w[m].im;
        const double br = b[2 * m], bi = b[2 * m + 1];
        const double tr = wr * br - wi * bi;
        const double ti = wr * bi + wi * br;
        const double ar = a[2 * m], ai = a[2 * m + 1];
        b[2 * m] = ar - tr;
        b[2 * m + 1] = ai - ti;
        a[2 * m] = ar + tr;
        a[2 * m + 1] = ai + ti;
      }
    }
  }
}

#if defined(__x86_64__)
// The same butterflies two columns at a time in 256-bit registers. Every
// lane does the scalar loop's operations on the same operands in the same
// order (products, then one subtraction or addition, then the two sums), and
// without contraction into fused multiply-adds, so no bit differs.
// t = w * b for two columns: even lanes wr*br - wi*bi, odd lanes wr*bi + wi*br.
__attribute__((target("avx"), always_inline)) inline __m256d twiddled(const double* w, __m256d bv) {
  const __m256d tw = _mm256_loadu_pd(w);             // wr0 wi0 wr1 wi1
  const __m256d wr = _mm256_movedup_pd(tw);          // wr0 wr0 wr1 wr1
  const __m256d wi = _mm256_permute_pd(tw, 0b1111);  // wi0 wi0 wi1 wi1
  const __m256d bs = _mm256_permute_pd(bv, 0b0101);  // bi0 br0 bi1 br1
  return _mm256_addsub_pd(_mm256_mul_pd(wr, bv), _mm256_mul_pd(wi, bs));
}

// Stages 2..14 two columns at a time, and two stages per pass over the
// points where a pair is left: the four quarters of a stage s + 1 group
// first get stage s's butterflies (first with second, third with fourth,
// each column with the twiddle of its column), then stage s + 1's (first
// with third, second with fourth), while they are in registers. Every
// butterfly meets the same operands as in the stage-by-stage loop.
__attribute__((target("avx"))) void butterflyStagesAvx(double* d, const TransformTables& t) {
  firstStage(d, t.twiddle.data());
  std::int32_t s = 2;
  for (; s + 1 <= kFFTBits; s += 2) {
    const std::int32_t half = 1 << (s - 1);
    const double* w = &t.twiddle[static_cast<std::size_t>(half - 1)].re;
    const double* w2 = &t.twiddle[static_cast<std::size_t>(2 * half - 1)].re;
    for (std::int32_t group = 0; group < kFFTPoints; group += 4 * half) {
      double* q0 = d + 2 * group;
      double* q1 = q0 + 2 * half;
      double* q2 = q1 + 2 * half;
      double* q3 = q2 + 2 * half;
      for (std::int32_t m = 0; m < half; m += 2) {
        const __m256d a0 = _mm256_loadu_pd(q0 + 2 * m), b0 = _mm256_loadu_pd(q1 + 2 * m);
        const __m256d a1 = _mm256_loadu_pd(q2 + 2 * m), b1 = _mm256_loadu_pd(q3 + 2 * m);
        const __m256d t0 = twiddled(w + 2 * m, b0), t1 = twiddled(w + 2 * m, b1);
        const __m256d x0 = _mm256_add_pd(a0, t0), x1 = _mm256_sub_pd(a0, t0);
        const __m256d x2 = _mm256_add_pd(a1, t1), x3 = _mm256_sub_pd(a1, t1);
        const __m256d u0 = twiddled(w2 + 2 * m, x2), u1 = twiddled(w2 + 2 * (m + half), x3);
        _mm256_storeu_pd(q0 + 2 * m, _mm256_add_pd(x0, u0));
        _mm256_storeu_pd(q2 + 2 * m, _mm256_sub_pd(x0, u0));
        _mm256_storeu_pd(q1 + 2 * m, _mm256_add_pd(x1, u1));
        _mm256_storeu_pd(q3 + 2 * m, _mm256_sub_pd(x1, u1));
      }
    }
  }
  for (; s <= kFFTBits; ++s) {
    const std::int32_t half = 1 << (s - 1);
    const double* w = &t.twiddle[static_cast<std::size_t>(half - 1)].re;
    for (std::int32_t group = 0; group < kFFTPoints; group += 2 * half) {
      double* a = d + 2 * group;
      double* b = a + 2 * half;
      for (std::int32_t m = 0; m < half; m += 2) {
        const __m256d tv = twiddled(w + 2 * m, _mm256_loadu_pd(b + 2 * m));
        const __m256d av = _mm256_loadu_pd(a + 2 * m);
        _mm256_storeu_pd(b + 2 * m, _mm256_sub_pd(av, tv));
        _mm256_storeu_pd(a + 2 * m, _mm256_add_pd(av, tv));
      }
    }
  }
}

#endif

std::atomic<bool> gVectorArithmeticAllowed{true};

}  // namespace

TransformTables::TransformTables() {
  for (std::int32_t s = 1; s <= kFFTBits; ++s) {
    const std::int32_t half = 1 << (s - 1);
    const double theta = kTwoPi / static_cast<double>(1 << s);
    const double sinHalf = std::sin(0.5 * theta);
    const double stepRe = -2.0 * sinHalf * sinHalf;
    const double stepIm = std::sin(theta);
    double wr = 1.0, wi = 0.0;
    Twiddle* stage = &twiddle[static_cast<std::size_t>(half - 1)];
    for (std::int32_t m = 0; m < half; ++m) {
      stage[m] = {wr, wi};
      const double nr = wr + (wr * stepRe - wi * stepIm);
      const double ni = wi + (wr * stepIm + wi * stepRe);
      wr = nr;
      wi = ni;
    }
  }
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(kFFTPoints); ++i) {
    std::uint32_t r = 0;
    for (std::int32_t b = 0; b < kFFTBits; ++b) r |= ((i >> b) & 1u) << (kFFTBits - 1 - b);
    reversed[i] = static_cast<std::uint16_t>(r);
  }
}

void allowVectorArithmetic(bool allowed) { gVectorArithmeticAllowed = allowed; }

bool vectorArithmetic(bool needsAvx2) {
#if defined(__x86_64__)
  static const bool avx = __builtin_cpu_supports("avx") != 0;
  static const bool avx2 = __builtin_cpu_supports("avx2") != 0;
  return gVectorArithmeticAllowed.load(std::memory_order_relaxed) && (needsAvx2 ? avx2 : avx);
#else
  (void)needsAvx2;
  return false;
#endif
}

const TransformTables& transformTables() {
  static const TransformTables t;
  return t;
}

void transformBitReversed16384(std::span<double> data) {
  if (data.size() < 2 * static_cast<std::size_t>(kFFTPoints)) return;
  const TransformTables& t = transformTables();
#if defined(__x86_64__)
  if (vectorArithmetic(false)) {
    butterflyStagesAvx(data.data(), t);
    return;
  }
#endif
  butterflyStagesPlain(data.data(), t);
}

void transform16384(std::span<double> data) {
  if (data.size() < 2 * static_cast<std::size_t>(kFFTPoints)) return;
  const TransformTables& t = transformTables();
  double* d = data.data();
  for (std::int32_t i = 0; i < kFFTPoints; ++i) {
    const std::int32_t j = t.reversed[static_cast<std::size_t>(i)];
    if (j > i) {
      std::swap(d[2 * i], d[2 * j]);
      std::swap(d[2 * i + 1], d[2 * j + 1]);
    }
  }
  transformBitReversed16384(data);
}
