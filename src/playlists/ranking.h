// Similarity ranking: the Smart-More selection ("Smart-More Like This Tune",
// "Surprise Me", the Smart-More button) and the ordering of a playlist by its
// entries' matchScore.
#pragma once

#include <cstdint>
#include <vector>

#include "library/tune.h"

// The likeness of two measures: the smaller divided by the larger, so 1 for
// equal values and 0 when exactly one of them is 0. Two zeros give NaN, and
// every threshold test of a NaN (or of a sum holding one) fails, so a tune
// with nothing measured is never taken and nothing traps.
double likeness(double a, double b);

// One tune chosen by a selection: its library number and, for Smart-More, the
// score its playlist entry carries.
struct PlaylistPick {
  std::int32_t tune;
  std::int32_t matchScore;
};

// Appends to `picks`, in library order, every library tune 1..gStartTotalTunes_L
// that resembles library tune `matchTune` closely enough, with its points
// (62..100). Only checked tunes within 3773 HPE of the match tune are
// considered, and the special genre groups "Heavy Metal", "Classical" and
// "Holiday & Seasonal" only ever meet themselves. `matchTune` must be a
// library tune.
void selectSmartMore(std::int32_t matchTune, std::vector<PlaylistPick>& picks);

// Orders gPlaylistTunes_A[1..gTotalPlaylistTunes_L] by descending matchScore.
// The order is stable: entries with equal scores keep their order, so an
// unscored playlist (all 0) is left exactly as it is. Entries move whole.
void sortByMatch();
