// Showing a freshly built playlist, and the switches that build one: the
// colour buttons, the All Tunes button, the Playlists menu, the Smart-Plays and
// Smart-More buttons. Every switch ends in presentPlaylist(); those that play
// silence the sounding tune first and raise gStartPlaying_S afterwards, which
// the event handler turns into a play run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the switches need from the parts above the playlists. The player
// connects the first two when it is linked, the application the others at
// start-up; a hook left empty falls back as described.
struct PlaylistSwitchHooks {
  // Silences the movie that sounds now (nothing without a player).
  void (*stopSounding)() = nullptr;
  // Shows the Stop icon on the play button (nothing without a player).
  void (*showStopIcon)() = nullptr;
  // Empties the list view and what it shows from (without it: the list
  // view's rows are removed).
  void (*clearList)() = nullptr;
  // Sorts the list by playlist order and fills it from gPlaylistTunes_A
  // (without it: the rows 1..gTotalPlaylistTunes_L are handed to the list
  // view, sorted by the 'PLID' column).
  void (*refillList)() = nullptr;
  // Shows the big notice with a text and a colour 1..9 and returns with it on
  // screen, and takes it away again (without them: nothing is shown, the
  // wait still happens).
  void (*bigNotice)(std::string_view text, std::int16_t colourIndex) = nullptr;
  void (*closeBigNotice)() = nullptr;
};
extern PlaylistSwitchHooks gPlaylistSwitchHooks;

// The summary line of the current playlist: count, total time and size.
std::string playlistSummaryText();
// Writes it into the main window's summary line (control 1001).
void setPlaylistSummary();

// Shows the current playlist: empties the list view, ranks it when `sorted`,
// refills the list in playlist order, rewrites the summary line and, with
// `selectFirst`, selects entry 1 (nothing when the playlist is empty);
// without it nothing is selected (a search result, the playlist rebuilt at
// the end of an add run). Every switch, menu item, button and key that shows
// a playlist comes here.
void presentPlaylist(bool sorted, bool selectFirst = true);

// The library tune of the selected entry becomes gCurrentMatchTune_L; with no
// such tune (nothing selected) the match tune stays as it was.
void matchTuneFromSelection();

// Before a switch that plays: the sounding tune stops and the play run is
// asked to end (gStopPlaying_S = 1, gWeArePlaying_S = 0).
void stopBeforeSwitch();

// A click on colour button 1..9 (its colour's playlist, played) or 10 (All
// Tunes, shown only). Other values do nothing.
void doColorButtons(std::int32_t button);

// The Playlists menu's switches and the two buttons that share them. The
// colour switches are doColorButtons(1..9).
enum class PlaylistSwitch : std::uint8_t {
  allTunes,
  lastAdded,
  moreFromArtist,
  moreFromAlbum,
  moreFromGenre,
  smartPlays,  // "More From Smart-Plays" and the Smart-Plays button
  smartMore,   // "Smart-More Like This Tune" and the Smart-More button
  surpriseMe,
};
void doPlaylistSwitch(PlaylistSwitch which);

// The answer to a command that needs a selected entry when none is: one beep
// and the "No Tune Selected" alert.
void noTuneSelectedAlert();
// The answer to a command that needs tunes when the library is empty.
void threeBeeps();
