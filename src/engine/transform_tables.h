// The transform's twiddles and bit reversal, computed once per program.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "engine/analysis.h"

struct Twiddle {
  double re, im;
};

// The twiddles of every stage, produced by the stage's recurrence exactly as
// a butterfly loop would produce them on the fly, so the table changes no bit
// of the result. Stage s (1..14) has 2^(s-1) entries starting at 2^(s-1) - 1.
struct TransformTables {
  std::array<Twiddle, kFFTPoints - 1> twiddle{};
  std::array<std::uint16_t, kFFTPoints> reversed{};  // point i's 14 bits reversed

  TransformTables();
};

const TransformTables& transformTables();

// The butterfly stages alone, for points already in bit-reversed order.
void transformBitReversed16384(std::span<double> data);

// Whether the transform and the spectrum loops run several columns or bins
// at a time in the processor's 256-bit registers, where it has them (the
// default), or one at a time. Both give the same bits; checks compare them.
void allowVectorArithmetic(bool allowed);
bool vectorArithmetic(bool needsAvx2);
