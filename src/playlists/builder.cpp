#include "playlists/builder.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/macroman.h"
#include "platform/toolbox.h"

std::int16_t gCurrentPlaylist_S = kPlaylistAllTunes;
std::int32_t gCurrentMatchTune_L = 0;
std::int32_t gMatchResultSeconds_L = 0;
std::uint32_t gTotalTuneMBs_UL = 0;
std::int32_t gCurrentSelectedTune_L = 0;
Str255 gCurrentPlayllistIDName$;

namespace {

// Field text upper-cased into a fixed buffer (no allocation per tune).
struct UpperText {
  // Only the first `size` bytes are ever read; the rest stays unset.
  std::uint8_t bytes[255];
  std::size_t size = 0;

  template <std::size_t N>
  explicit UpperText(const PString<N>& s) : size(s.size()) {  // NOLINT(cppcoreguidelines-pro-type-member-init)
    for (std::size_t i = 0; i < size; ++i) bytes[i] = gUpperCaseTable[s.text[i]];
  }
  std::string_view view() const { return {reinterpret_cast<const char*>(bytes), size}; }
};

template <std::size_t N>
bool containsUpperCase(const PString<N>& field, std::string_view upperNeedle) {
  if (upperNeedle.size() > field.size()) return false;
  return UpperText(field).view().find(upperNeedle) != std::string_view::npos;
}

bool searchMatches(const Tune& t, std::string_view upperNeedle) {
  return containsUpperCase(t.title, upperNeedle) || containsUpperCase(t.artist, upperNeedle) ||
         containsUpperCase(t.album, upperNeedle) || containsUpperCase(t.genre, upperNeedle);
}

// "HH:mm:ss" of the local time followed by the kind. Builds that fall in the
// same second are numbered "#2", "#3", ... so that no two identities of one
// run are equal, whatever kinds were built in between.
void setPlaylistIdentity(std::int16_t kind) {
  static std::string lastClock;
  static std::uint32_t buildsThisSecond = 0;

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char clock[16];
  std::strftime(clock, sizeof clock, "%H:%M:%S", &local);

  std::string identity = clock + std::to_string(kind);
  if (lastClock == clock) {
    identity += "#" + std::to_string(++buildsThisSecond);
  } else {
    lastClock = clock;
    buildsThisSecond = 1;
  }
  gCurrentPlayllistIDName$.assign(identity);
}

// The tunes of one selection rule, in library order.
void selectTunes(std::int16_t kind, std::int32_t last, std::vector<PlaylistPick>& picks) {
  const bool needsMatch =
      kind == kPlaylistSmartMore || kind == kPlaylistArtist || kind == kPlaylistGenre || kind == kPlaylistAlbum;
  // A match tune outside the library (nothing chosen yet, or tunes removed
  // since it was chosen) has nothing to be alike to.
  if (needsMatch && (gCurrentMatchTune_L < 1 || gCurrentMatchTune_L > last)) return;

  auto takeWhere = [&](auto rule) {
    for (std::int32_t t = 1; t <= last; ++t)
      if (rule(gTunes_A[t])) picks.push_back({t, 0});
  };

  switch (kind) {
    case kPlaylistAllTunes:
      for (std::int32_t t = 1; t <= last; ++t) picks.push_back({t, 0});
      break;
    case kPlaylistLastAdded: takeWhere([](const Tune& t) { return t.justAdded == 1; }); break;
    case kPlaylistSmartPlays: takeWhere([](const Tune& t) { return t.playCount >= 1; }); break;
    case kPlaylistSmartMore: selectSmartMore(gCurrentMatchTune_L, picks); break;
    case kPlaylistArtist: {
      const Str255 artist = gTunes_A[gCurrentMatchTune_L].artist;
      takeWhere([&](const Tune& t) { return t.artist == artist; });
      break;
    }
    case kPlaylistSearch: {
      const std::string needle = upperCaseMacRoman(gSearchString$.view());
      // The four texts lie on four cache lines 4566 bytes apart per tune; asking
      // for the lines of a tune a few records ahead hides most of the wait.
      constexpr std::int32_t kAhead = 8;
      for (std::int32_t t = 1; t <= last; ++t) {
        if (t + kAhead <= last) {
          const Tune& ahead = gTunes_A[t + kAhead];
          __builtin_prefetch(&ahead.title);
          __builtin_prefetch(&ahead.artist);
          __builtin_prefetch(&ahead.album);
          __builtin_prefetch(&ahead.genre);
        }
        if (searchMatches(gTunes_A[t], needle)) picks.push_back({t, 0});
      }
      break;
    }
    case kPlaylistGenre: {
      const Str63 genre = gTunes_A[gCurrentMatchTune_L].genre;
      takeWhere([&](const Tune& t) { return t.genre == genre; });
      break;
    }
    case kPlaylistAlbum: {
      const Str255 album = gTunes_A[gCurrentMatchTune_L].album;
      takeWhere([&](const Tune& t) { return t.album == album; });
      break;
    }
    default:
      if (kind >= kPlaylistFirstColour && kind <= kPlaylistLastColour) {
        const std::int32_t colour = kind - 10;
        if (last <= kSmallLibraryTunes) {
          takeWhere([&](const Tune& t) { return t.colourCategory == colour; });
        } else {
          // Three fresh draws per candidate: a > b + c holds for 31 of the
          // 147 equally likely outcomes, so about a fifth of the colour's
          // checked tunes play, a different fifth each time.
          takeWhere([&](const Tune& t) {
            if (t.colourCategory != colour || t.checked != 1) return false;
            const std::int32_t a = rnd(7), b = rnd(7), c = rnd(3);
            return a > b + c;
          });
        }
      }
      break;  // any other kind: no tune
  }
}

// For i = 1..N: with probability one half swap entry i with a random entry
// 1..N. The swaps are made on the tune numbers before anything is copied, so
// each record is copied once instead of three times per swap; the playlist
// order is the one swapping whole entries would give.
void shuffle(std::vector<PlaylistPick>& picks) {
  const auto n = static_cast<std::int32_t>(picks.size());
  for (std::int32_t i = 1; i <= n; ++i) {
    if (rnd(100) > 50) {
      const std::int32_t j = rnd(n);
      std::swap(picks[i - 1], picks[j - 1]);
    }
  }
}

// Copies the picked library records into playlist entries 1..N, whole, one
// block per run of consecutive library tunes, and adds up the totals.
void fillPlaylist(std::span<const PlaylistPick> picks, bool scored) {
  std::int64_t seconds = 0;
  std::uint32_t megabytes = 0;
  const auto n = static_cast<std::int32_t>(picks.size());
  for (std::int32_t k = 0; k < n;) {
    std::int32_t run = 1;
    while (k + run < n && picks[k + run].tune == picks[k].tune + run) ++run;
    std::memcpy(gPlaylistTunes_A.records(k + 1, run).data(), gTunes_A.records(picks[k].tune, run).data(),
                static_cast<std::size_t>(run) * sizeof(Tune));
    k += run;
  }
  for (std::int32_t k = 1; k <= n; ++k) {
    Tune& entry = gPlaylistTunes_A[k];
    const std::int32_t duration = entry.durationSeconds;
    const std::uint32_t length = entry.fileLength;
    seconds += duration;
    megabytes += length >> 20;
    if (scored) entry.matchScore = picks[k - 1].matchScore;
  }
  // Damaged durations must not overflow the 32-bit total.
  gMatchResultSeconds_L = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      seconds, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  gTotalTuneMBs_UL = megabytes;
  gTotalPlaylistTunes_L = n;
}

}  // namespace

void buildCurrentPlaylist() {
  // A cell edit the user has open in the main window's list reaches the
  // library (and so the new playlist) on the tune it was opened on, before
  // the playlist table changes under it.
  listViewEndEditing(kMainWindow, kListControl);
  if (gStartTotalTunes_L <= 0) return;
  const std::int32_t last = std::min(gStartTotalTunes_L, kMaxTunes);
  const std::int16_t kind = gCurrentPlaylist_S;

  gMatchResultSeconds_L = 0;
  gTotalTuneMBs_UL = 0;
  gTotalPlaylistTunes_L = 0;
  setPlaylistIdentity(kind);

  static std::vector<PlaylistPick> picks;
  picks.clear();
  picks.reserve(static_cast<std::size_t>(kMaxTunes));
  selectTunes(kind, last, picks);
  if (kind != kPlaylistAllTunes && kind != kPlaylistSmartMore) shuffle(picks);
  fillPlaylist(picks, kind == kPlaylistSmartMore);

  gCurrentSelectedTune_L = 0;
  // The now-playing display names the shown playlist while nothing plays;
  // the event handler redraws it at its next pass.
  if (gWeArePlaying_S == 0) gRefreshDisplay_S = 1;
}
