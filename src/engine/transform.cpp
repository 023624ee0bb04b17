// The analysis transform: 16384 points, radix 2, decimation in time.
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

#include "engine/analysis.h"

namespace {

constexpr double kTwoPi = 6.2831853072;  // the ten-decimal value the measures were calibrated with

struct Twiddle {
  double re, im;
};

// The twiddles of every stage, produced by the stage's recurrence exactly as
// a butterfly loop would produce them on the fly, so the table changes no bit
// of the result. Stage s (1..14) has 2^(s-1) entries starting at 2^(s-1) - 1.
struct TransformTables {
  std::array<Twiddle, kFFTPoints - 1> twiddle{};
  std::array<std::uint16_t, kFFTPoints> reversed{};

  TransformTables() {
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
};

const TransformTables& tables() {
  static const TransformTables t;
  return t;
}

}  // namespace

void transform16384(std::span<double> data) {
  if (data.size() < 2 * static_cast<std::size_t>(kFFTPoints)) return;
  const TransformTables& t = tables();
  double* d = data.data();
  for (std::int32_t i = 0; i < kFFTPoints; ++i) {
    const std::int32_t j = t.reversed[static_cast<std::size_t>(i)];
    if (j > i) {
      std::swap(d[2 * i], d[2 * j]);
      std::swap(d[2 * i + 1], d[2 * j + 1]);
    }
  }
  for (std::int32_t s = 1; s <= kFFTBits; ++s) {
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
