#include "engine/classify.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "core/macroman.h"
#include "engine/analysis.h"
#include "engine/durations.h"
#include "engine/genres.h"
#include "library/database.h"
#include "library/tune.h"

const std::array<ColourCategory, 10> kColourCategories = {{
    {"", 0, 0, 0, 0},
    {"Midnight Blue", 0x0000, 0x3900, 0x7C00, INT32_MIN},
    {"Cool Blue", 0x1B00, 0x9900, 0xCC00, 6000},
    {"Green", 0x0000, 0x9000, 0x2C00, 11000},
    {"Bright Green", 0xA900, 0xB500, 0x0000, 16000},
    {"Yellow", 0xFF00, 0xAD00, 0x0000, 21000},
    {"Orange", 0xFF00, 0x6B00, 0x0000, 35000},
    {"Red", 0xC300, 0x2B00, 0x0300, 41000},
    {"Pink", 0xF300, 0x4E00, 0x9A00, 47000},
    {"Purple", 0x8500, 0x0700, 0xD400, 53000},
}};

std::array<double, 61> holdstuff_DA{};
std::array<std::int16_t, 7001> gMostCommonFundFreq_SA{};

namespace {

constexpr double kBoost = 1.0173;
constexpr std::string_view kHolidayWords[] = {"CHRISTMAS", "XMAS", "DECEMBER", "SANTA CLAUS"};

// Conversions that stay defined whatever the accumulators hold.
std::int32_t truncToInt32(double v) {
  if (!(v == v)) return 0;
  return static_cast<std::int32_t>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}
std::int32_t roundToInt32(double v) {
  if (!(v == v)) return 0;
  return static_cast<std::int32_t>(std::clamp(std::nearbyint(v), -2147483648.0, 2147483647.0));
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && upperCaseMacRoman(a) == upperCaseMacRoman(b);
}

// The number a "(17)" genre text names: its characters without parentheses,
// read for their leading numeric part (none reads as 0), truncated.
std::int64_t genreNumberOf(std::string_view genre) {
  std::string digits;
  for (char c : genre)
    if (c != '(' && c != ')') digits += c;
  std::size_t i = 0;
  while (i < digits.size() && (digits[i] == ' ' || digits[i] == '\t')) ++i;
  if (i < digits.size() && digits[i] == '+') ++i;
  double value = 0.0;
  const char* begin = digits.data() + i;
  const auto [ptr, ec] = std::from_chars(begin, digits.data() + digits.size(), value);
  if (ec != std::errc() || ptr == begin || !(value == value)) return 0;
  return static_cast<std::int64_t>(std::clamp(std::trunc(value), -1e15, 1e15));
}

}  // namespace

std::int32_t colourCategoryOfHPE(std::int32_t hpe) {
  std::int32_t category = 1;
  for (std::int32_t c = 2; c <= 9; ++c)
    if (hpe >= kColourCategories[static_cast<std::size_t>(c)].lowestHPE) category = c;
  return category;
}

void resolveGenre(std::int32_t index) {
  Tune& t = gTunes_A[index];
  t.genreCode = 0;
  const std::string genre = t.genre.str();
  if (genre.empty()) {
    t.genreCode = kUnknownGenreCode;
    t.genre.assign("Unknown");
    return;
  }
  if (genre.front() == '(') {
    const std::int64_t n = genreNumberOf(genre);
    for (std::int32_t g = 1; g <= gTotalGenres_L; ++g) {
      if (gGenre_A[g].number == n) {
        t.genreCode = static_cast<std::uint16_t>(gGenre_A[g].number);
        t.genre.assign(gGenre_A[g].genreName);
        return;
      }
    }
    t.genreCode = kUnknownGenreCode;
    t.genre.assign("Unknown");
    return;
  }
  bool matched = false;
  for (std::int32_t g = 1; g <= gTotalGenres_L; ++g) {
    if (sameIgnoringCase(gGenre_A[g].genreName, genre)) {
      t.genreCode = static_cast<std::uint16_t>(gGenre_A[g].number);
      matched = true;
    }
  }
  if (!matched) {
    t.genreGroup.assign(genre);
    t.genreCode = kUnlistedGenreCode;
  }
}

void holidayPass(std::int32_t first, std::int32_t last) {
  // Record 0 is never a tune.
  for (std::int32_t i = std::max(first, 1); i <= last; ++i) {
    Tune& t = gTunes_A[i];
    const std::string album = upperCaseMacRoman(t.album.view());
    const bool holiday = std::any_of(std::begin(kHolidayWords), std::end(kHolidayWords),
                                     [&](std::string_view w) { return album.find(w) != std::string::npos; });
    if (holiday) {
      t.genre.assign(kHolidayGenre);
      t.genreCode = kHolidayGenreCode;
      t.genreGroup.assign(kHolidayGenre);
    } else if (t.genre == std::string_view("Unknown")) {
      t.genreGroup.assign("Unknown");
      t.genreCode = kUnknownGenreCode;
    } else {
      for (std::int32_t g = 1; g <= gTotalGenres_L; ++g) {
        if (sameIgnoringCase(gGenre_A[g].genreName, t.genre.view())) {
          t.genreGroup.assign(gGenre_A[g].groupName);
          break;
        }
      }
    }
  }
}

OSErr classifyTune(AnalysisState& st, std::string_view fileName) {
  Tune& t = gTunes_A[gTotalTunes_L];

  t.evalMark = 0;
  t.bypassCountRaw = st.gBypassCntOne_L;
  t.ctCountRaw = st.gCTCounter_L;
  const std::int32_t ctCountRaw = st.gCTCounter_L;

  for (std::int32_t n = 1; n <= kAnalysisFrames; ++n) {
    const std::int32_t pitch = samplePitchAt(t, n);
    holdstuff_DA[static_cast<std::size_t>(n)] = pitch;
    // The counters saturate: a bin heard in very many tunes stays the most
    // common instead of wrapping to a negative count.
    std::int16_t& counter = gMostCommonFundFreq_SA[static_cast<std::size_t>(std::clamp(pitch, 0, 7000))];
    if (counter < INT16_MAX) ++counter;
  }

  // No bin counted yet leaves 0: no common pitch.
  std::int32_t common = 0;
  std::int16_t commonCount = 0;
  for (std::int32_t k = 1; k <= 7000; ++k) {
    if (gMostCommonFundFreq_SA[static_cast<std::size_t>(k)] > commonCount) {
      commonCount = gMostCommonFundFreq_SA[static_cast<std::size_t>(k)];
      common = k;
    }
  }
  t.commonPitch = static_cast<std::uint16_t>(common);

  std::sort(holdstuff_DA.begin() + 1, holdstuff_DA.begin() + 1 + kAnalysisFrames);
  double sum = 0.0;
  for (std::int32_t n = 1; n <= kAnalysisFrames; ++n) sum += holdstuff_DA[static_cast<std::size_t>(n)];
  t.meanSamplePitch = truncToInt32(sum / 28.0);

  double upper = 0.0;
  for (std::int32_t n = 4; n <= kAnalysisFrames; ++n) upper += holdstuff_DA[static_cast<std::size_t>(n)];
  st.gAverageFundamentalPitches_D = upper / 24.0;

  double amplitude = 0.0;
  for (std::int32_t n = 1; n <= kAnalysisFrames; ++n) amplitude += sampleAmplitudeAt(t, n);
  st.gAverageAmplitude_D = amplitude / 28.0;

  if (st.gTotalPitches_UL == 0) return kNoStrongBins;
  t.evalMark = 0;

  if (t.dataRate >= 15 && t.dataRate <= 34) {
    st.gCTCounter_L = truncToInt32(st.gCTCounter_L * kBoost);
    st.gBypassCntOne_L = truncToInt32(st.gBypassCntOne_L * kBoost);
  }

  const double e = st.gCTCounter_L / 14.0;
  const double x = e / 10.0;
  const std::int32_t hpe =
      x <= 73.0 ? truncToInt32((x / 73.0) * 35000.0) : truncToInt32((x / 237.0) * 30565.0 + 25457.0);

  t.permID = ++gNextPermIDNumber_UL;
  t.justAdded = 1;
  t.checked = 1;
  t.fileName.assign(fileName);
  t.tuneNumber = gTotalTunes_L;

  t.energyLevel = roundToInt32(e);
  t.energyIndex = roundToInt32(x);
  t.hpe = hpe;
  t.pitchIndex = roundToInt32(
      ((st.gAverageFundamentalPitches_D * 0.97 + st.gAverageUniquePitch_D * 0.02) + (st.gAverageTunePitch_D + 0.01)) /
      3.7);
  t.totalPitchCount = static_cast<std::int32_t>(st.gTotalPitches_UL);
  t.uniquePitchCount = st.gTotalUniqueFundPitches_L;
  t.avgFundamentalPitch = roundToInt32(st.gAverageFundamentalPitches_D);
  t.avgAmplitude = roundToInt32(st.gAverageAmplitude_D);
  t.frequencyVariance = roundToInt32(st.gFrequencyVarience_D);
  // A strong bin always adds to the count, so the count is 0 here only when
  // the accumulators were not filled by the analysis; no ratio then.
  t.pitchesPerCount =
      ctCountRaw != 0 ? static_cast<std::int32_t>(st.gTotalPitches_UL / static_cast<std::uint32_t>(ctCountRaw)) : 0;
  t.avgTunePitch = roundToInt32(st.gAverageTunePitch_D);
  t.avgUniquePitch = roundToInt32(st.gAverageUniquePitch_D);
  t.bypassCount = st.gBypassCntOne_L;
  t.ctCount = st.gCTCounter_L;
  t.bypassVariance = roundToInt32(st.gBypassVarience_D);
  t.classifyFlag = 0;
  t.durationText.assign(convertSecstoTimeStringShort(t.durationSeconds));
  const std::int32_t bypassCount = t.bypassCount, ctCount = t.ctCount;
  t.bypassRatio = ctCount != 0 ? truncToInt32((static_cast<double>(bypassCount) / ctCount) * 1000.0) : 0;

  const std::int32_t category = colourCategoryOfHPE(hpe);
  const ColourCategory& colour = kColourCategories[static_cast<std::size_t>(category)];
  t.colourRed = colour.red;
  t.colourGreen = colour.green;
  t.colourBlue = colour.blue;
  t.colourCategory = category;

  resolveGenre(gTotalTunes_L);

  if (gTotalTunes_L > 0 && gTotalTunes_L % kCheckpointInterval == 0) {
    holidayPass(gStartTotalTunes_L, gTotalTunes_L);
    gStartTotalTunes_L = gTotalTunes_L;
    saveDatabaseFiles();
  }
  return noErr;
}
