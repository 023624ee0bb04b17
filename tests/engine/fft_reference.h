// Reference transforms for checking and measuring the analysis: the
// textbook radix-2 loop that evaluates the twiddle recurrence in place,
// column by column, and a direct evaluation of single bins.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

namespace reference {

constexpr std::int32_t kPoints = 16384;

// Bit reversal by the classic swapping walk, then for every stage the
// twiddle advanced by w <- w + w * (-2 sin^2(theta/2) + i sin theta) after
// each column of butterflies.
inline void textbookTransform(std::span<double> d) {
  const std::int32_t n = 2 * kPoints;
  std::int32_t j = 1;
  for (std::int32_t i = 1; i < n; i += 2) {
    if (j > i) {
      std::swap(d[j - 1], d[i - 1]);
      std::swap(d[j], d[i]);
    }
    std::int32_t m = kPoints;
    while (m >= 2 && j > m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
  std::int32_t mmax = 2;
  while (n > mmax) {
    const std::int32_t step = mmax << 1;
    const double theta = 6.2831853072 / mmax;
    const double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0, wi = 0.0;
    for (std::int32_t m = 1; m < mmax; m += 2) {
      for (std::int32_t i = m; i <= n; i += step) {
        const std::int32_t k = i + mmax;
        const double tr = wr * d[k - 1] - wi * d[k];
        const double ti = wr * d[k] + wi * d[k - 1];
        d[k - 1] = d[i - 1] - tr;
        d[k] = d[i] - ti;
        d[i - 1] = d[i - 1] + tr;
        d[i] = d[i] + ti;
      }
      const double nr = wr + (wr * wpr - wi * wpi);
      wi = wi + (wr * wpi + wi * wpr);
      wr = nr;
    }
    mmax = step;
  }
}

// X[k] = sum x[n] e^(+2 pi i n k / N) of complex input x (real and
// imaginary parts side by side), in long double with the exact angle.
inline std::pair<long double, long double> directBin(std::span<const double> x, std::int32_t k) {
  const long double twoPi = 6.283185307179586476925286766559L;
  long double re = 0, im = 0;
  for (std::int32_t p = 0; p < kPoints; ++p) {
    const std::int64_t phase = (static_cast<std::int64_t>(p) * k) % kPoints;
    const long double a = twoPi * static_cast<long double>(phase) / kPoints;
    const double xr = x[2 * static_cast<std::size_t>(p)], xi = x[2 * static_cast<std::size_t>(p) + 1];
    re += xr * std::cos(a) - xi * std::sin(a);
    im += xr * std::sin(a) + xi * std::cos(a);
  }
  return {re, im};
}

}  // namespace reference
