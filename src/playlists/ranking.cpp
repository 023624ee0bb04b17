#include "playlists/ranking.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "core/macroman.h"

namespace {

constexpr std::int64_t kEnergyWindow = 3773;  // HPE distance still "alike"
constexpr double kShapeThreshold = 0.75;      // s1 and s2 must reach this
constexpr double kScoreThreshold = 0.65;
constexpr double kPointsToTake = 62;

constexpr std::string_view kUnknown = "Unknown";
constexpr std::string_view kSpecialGroups[] = {"Heavy Metal", "Classical", "Holiday & Seasonal"};

// Case-blind equality through the program's upper-case table.
bool equalUpperCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (gUpperCaseTable[static_cast<std::uint8_t>(a[i])] != gUpperCaseTable[static_cast<std::uint8_t>(b[i])])
      return false;
  return true;
}

// A tune in one of the special groups only ever matches tunes of that group,
// and a tune outside them never matches one inside.
bool sameSpecialGroups(std::string_view candidate, std::string_view match) {
  for (std::string_view group : kSpecialGroups)
    if ((candidate == group) != (match == group)) return false;
  return true;
}

}  // namespace

double likeness(double a, double b) { return a < b ? a / b : b / a; }

void selectSmartMore(std::int32_t matchTune, std::vector<PlaylistPick>& picks) {
  const Tune& m = gTunes_A[matchTune];
  // Integer fields of the packed record are read by value, never by reference.
  const std::int64_t matchHpe = m.hpe;
  const std::int32_t matchCtCount = m.ctCount;
  const std::int32_t matchMeanPitch = m.meanSamplePitch;
  const std::int32_t matchTunePitch = m.avgTunePitch;
  const std::string_view matchGroup = m.genreGroup.view();
  const double matchShape = likeness(m.bypassCount, m.ctCount);

  const std::int32_t last = std::min(gStartTotalTunes_L, kMaxTunes);
  for (std::int32_t t = 1; t <= last; ++t) {
    const Tune& c = gTunes_A[t];
    // Energy gate. 64-bit bounds: a damaged HPE near the 32-bit limits must
    // not wrap around into the window.
    const std::int64_t hpe = c.hpe;
    if (c.checked != 1 || hpe < matchHpe - kEnergyWindow || hpe > matchHpe + kEnergyWindow) continue;

    const std::string_view group = c.genreGroup.view();
    const double s1 = likeness(likeness(c.bypassCount, c.ctCount), matchShape);
    const double s2 = likeness(c.ctCount, matchCtCount);
    // Written as "not at least" so that a NaN fails the test.
    if (!(s1 >= kShapeThreshold) || !sameSpecialGroups(group, matchGroup) || !(s2 >= kShapeThreshold)) continue;
    const double s3 = likeness(c.meanSamplePitch, matchMeanPitch);
    const double s4 = likeness(c.avgTunePitch, matchTunePitch);

    const double score = (7 * s1 + s2 + s3 + s4) / 10;
    if (!(score >= kScoreThreshold)) continue;

    double points = std::fabs(score * 100);
    if (group != kUnknown && group == matchGroup) points += 10;
    if (equalUpperCase(c.artist.view(), m.artist.view()) && equalUpperCase(c.album.view(), m.album.view()))
      points += 10;
    points -= 20;
    if (group == kUnknown && c.title.view() != m.title.view()) points -= 7;

    if (points >= kPointsToTake) picks.push_back({t, static_cast<std::int32_t>(points)});
  }
}

void sortByMatch() {
  const std::int32_t n = std::clamp(gTotalPlaylistTunes_L, 0, kMaxTunes);
  if (n < 2) return;

  std::vector<std::int32_t> score(static_cast<std::size_t>(n) + 1);
  bool sorted = true;
  for (std::int32_t k = 1; k <= n; ++k) {
    score[k] = gPlaylistTunes_A[k].matchScore;
    if (k > 1 && score[k - 1] < score[k]) sorted = false;
  }
  if (sorted) return;

  // from[k] = the entry that ends up at position k. A stable sort gives what
  // repeated bubble passes give (equal scores never pass each other), without
  // their quadratic number of 4566-byte swaps.
  std::vector<std::int32_t> from(static_cast<std::size_t>(n) + 1);
  for (std::int32_t k = 0; k <= n; ++k) from[k] = k;
  std::stable_sort(from.begin() + 1, from.end(), [&](std::int32_t a, std::int32_t b) { return score[a] > score[b]; });

  // Apply the permutation cycle by cycle, so each record moves once (plus one
  // trip through the scratch record per cycle).
  Tune& hold = gHoldTunes_A[1];
  std::vector<bool> placed(static_cast<std::size_t>(n) + 1, false);
  for (std::int32_t start = 1; start <= n; ++start) {
    if (placed[start] || from[start] == start) continue;
    std::memcpy(&hold, &gPlaylistTunes_A[start], sizeof(Tune));
    std::int32_t k = start;
    while (from[k] != start) {
      std::memcpy(&gPlaylistTunes_A[k], &gPlaylistTunes_A[from[k]], sizeof(Tune));
      placed[k] = true;
      k = from[k];
    }
    std::memcpy(&gPlaylistTunes_A[k], &hold, sizeof(Tune));
    placed[k] = true;
  }
}
