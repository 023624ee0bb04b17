// Classification: from the analysis figures of one tune to its stored
// measures, its Human Perceived Energy (HPE) and its colour category; the
// tune's identity and genre; and the holiday pass with its checkpoint save.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/errors.h"

struct AnalysisState;

constexpr OSErr kNoStrongBins = 900;
constexpr std::int32_t kCheckpointInterval = 200;
constexpr std::uint16_t kHolidayGenreCode = 177;
constexpr std::uint16_t kUnknownGenreCode = 0xFFFE;  // -2
constexpr std::uint16_t kUnlistedGenreCode = 255;
inline constexpr std::string_view kHolidayGenre = "Holiday & Seasonal";

struct ColourCategory {
  std::string_view name;
  std::uint16_t red, green, blue;
  std::int32_t lowestHPE;
};
// Categories 1..9 (entry 0 unused), calmest first.
extern const std::array<ColourCategory, 10> kColourCategories;

// The category (1..9) of an HPE value.
std::int32_t colourCategoryOfHPE(std::int32_t hpe);

// Entries 1..28 hold the tune's dominant bins while they are sorted.
extern std::array<double, 61> holdstuff_DA;
// Dominant bins of every tune classified since start-up (index 0..7000).
extern std::array<std::int16_t, 7001> gMostCommonFundFreq_SA;

// Classifies gTunes_A[gTotalTunes_L] from the figures its analysis left in
// `state` (whose gCTCounter_L and gBypassCntOne_L it boosts, and whose two
// averages it sets): 0, or 900 when no frame had a strong bin. On every 200th tune it also runs the holiday pass over
// the tunes added since the last commit, commits them and saves the library.
OSErr classifyTune(AnalysisState& state, std::string_view fileName);

// Gives the tunes first..last (inclusive) the holiday genre when their album
// names a holiday, and settles the genre group of the others.
void holidayPass(std::int32_t first, std::int32_t last);

// Resolves the genre text of one record against the genre table.
void resolveGenre(std::int32_t index);
