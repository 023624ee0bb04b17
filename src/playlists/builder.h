// The playlist builder: fills the current playlist (gPlaylistTunes_A) from the
// library according to the playlist kind in gCurrentPlaylist_S.
//
// Every way of choosing music ends in buildCurrentPlaylist(): start-up, the
// end of an add run, the Playlists menu, the colour buttons, the Smart-Plays
// and Smart-More buttons and the search field. The builder fills no list
// view and no summary line; its caller presents the result (and, for the
// kinds it ranks, calls sortByMatch() first, see ranking.h).
//
// All state is program-wide and owned by the GUI thread.
#pragma once

#include <cstdint>

#include "core/appstate.h"
#include "core/pstring.h"
#include "library/tune.h"
#include "playlists/ranking.h"
#include "playlists/rnd.h"

// ---- Playlist kinds (values of gCurrentPlaylist_S) -----------------------

constexpr std::int16_t kPlaylistAllTunes = 3;      // every tune, library order
constexpr std::int16_t kPlaylistLastAdded = 4;     // justAdded = 1
constexpr std::int16_t kPlaylistSmartPlays = 5;    // playCount >= 1
constexpr std::int16_t kPlaylistSmartMore = 6;     // scored against the match tune
constexpr std::int16_t kPlaylistArtist = 7;        // same artist as the match tune
constexpr std::int16_t kPlaylistSearch = 8;        // gSearchString$ in title/artist/album/genre
constexpr std::int16_t kPlaylistGenre = 9;         // same genre as the match tune
constexpr std::int16_t kPlaylistAlbum = 10;        // same album as the match tune
constexpr std::int16_t kPlaylistFirstColour = 11;  // 11..19: colour category kind - 10
constexpr std::int16_t kPlaylistLastColour = 19;

// A colour playlist of a library larger than this takes only checked tunes,
// each kept by a random draw (31 chances in 147).
constexpr std::int32_t kSmallLibraryTunes = 100;

// ---- Program-wide state -------------------------------------------------

// Playlist kind of the current playlist; 3 (All Tunes) at start-up.
extern std::int16_t gCurrentPlaylist_S;
// Library tune that More From and Smart-More playlists are built around
// (1..gStartTotalTunes_L); set by the caller before the build. A match tune
// outside the library (for example after tunes were removed) builds an empty
// playlist for kinds 6, 7, 9 and 10.
extern std::int32_t gCurrentMatchTune_L;
// Total playing time of the playlist in seconds (sum of durationSeconds).
extern std::int32_t gMatchResultSeconds_L;
// Total size of the playlist in MB: sum over the entries of fileLength >> 20.
extern std::uint32_t gTotalTuneMBs_UL;
// Selected playlist entry; the builder sets it to 0 (nothing selected).
extern std::int32_t gCurrentSelectedTune_L;
// Identity of the shown playlist: local time "HH:mm:ss" followed by the kind
// number, e.g. "18:52:0711". Further builds within the same second get a
// suffix "#2", "#3", ..., so every build has an identity of its own and the
// player and the list view never take a fresh playlist for the playing one.
extern Str255 gCurrentPlayllistIDName$;
// The builder also reads gSearchString$ (the text of the last search, for
// kind 8) and gWeArePlaying_S (1 while a tune sounds), application state
// declared in core/appstate.h.

// ---- Operations ---------------------------------------------------------

// Builds the current playlist for gCurrentPlaylist_S. With an empty library it
// returns at once and leaves the previous playlist, totals and identity as they
// were. Otherwise it sets gTotalPlaylistTunes_L, gPlaylistTunes_A[1..count]
// (whole copies of library records), both totals, the identity, and
// gCurrentSelectedTune_L = 0. All Tunes keeps library order, Smart-More keeps
// library order with matchScore set (the caller sorts), every other kind is
// shuffled. A kind outside 3..19 gives an empty playlist. Before anything
// changes it ends a cell edit open in the main window's list (through the
// toolbox); after a build while nothing plays it raises gRefreshDisplay_S,
// so the event handler redraws the now-playing display at its next pass.
void buildCurrentPlaylist();
