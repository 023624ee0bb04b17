// Showing a freshly built playlist, and the switches that build one: the
// colour buttons, the All Tunes button, the Playlists menu, the Smart-Plays and
// Smart-More buttons. Every switch ends in presentPlaylist(); those that play
// silence the sounding tune first and raise gStartPlaying_S afterwards, which
// the event handler turns into a play run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The play button of the main window and the Player menu, whose first item
// names what the button does.
constexpr std::int16_t kPlayButton = 11;
constexpr std::int16_t kPlayerMenu = 4;

// The play button: mode 1 shows the Play icon; any other mode shows the Stop
// icon and makes the Player menu's first item "Stop Playing". The switches
// that play show Stop when they ask for a start; the player does the rest.
void swapPlayBtn(std::int16_t mode);

// The summary line of the current playlist: count, total time and size.
std::string playlistSummaryText();
// Writes it into the main window's summary line (control 1001).
void setPlaylistSummary();

// Shows the current playlist: empties the list view, ranks it when `sorted`,
// hands the list view the entries 1..gTotalPlaylistTunes_L sorted by the
// 'PLID' column (the list view's model fills their cells as they come),
// rewrites the summary line and, with `selectFirst`, selects entry 1
// (nothing when the playlist is empty); without it nothing is selected (a
// search result, the playlist rebuilt at the end of an add run). Every switch, menu item, button and key that shows
// a playlist comes here.
void presentPlaylist(bool sorted, bool selectFirst = true);

// The library tune of the selected entry becomes gCurrentMatchTune_L; with no
// such tune (nothing selected) the match tune stays as it was.
void matchTuneFromSelection();

// Before a switch that plays: the sounding tune stops (stopSoundingMovie,
// library/tune.h) and the play run is asked to end (gStopPlaying_S = 1,
// gWeArePlaying_S = 0).
void stopBeforeSwitch();

// A click on colour button 1..9 (its colour's playlist, played; a colour
// without tunes beeps and shows its big notice for two seconds) or 10 (All
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
