// The commands that edit, clean or flush the library outside the add runs
// and the playlist builder. doMenu runs them after its guards (library not
// empty; for Delete Tune and Flush no add run). Only Flush writes the
// database file; every other change is saved when the program quits.
#pragma once

#include <cstdint>
#include <string_view>

// Edit > Delete Tune: removes the selected row from the shown playlist (table
// and list), and its tune (by permID) from the library and the playing
// table. The playing tune cannot be deleted.
void doDeleteTune();

// File > Flush Lumaroll Library...: after confirmation empties the library,
// the playlist and the playing table and writes the empty library.
void doFlushLibrary();

// Edit > Set Genre For This Artist / Album: gives every tune, row and playing
// entry of the selected row's artist (album) the genre. The artist command
// spares "Holiday & Seasonal", "Holiday" and "Soundtrack"; the album command
// does not.
void doSetGenreForArtist(std::string_view genre);
void doSetGenreForAlbum(std::string_view genre);

// Edit > Check-Mark All (value 1) / Un-Check All (value 0) tunes in the list.
void doCheckMarkAll(std::uint16_t value);

// Edit > Clear Smart-Plays: every play count of the library and the shown
// playlist to 0; the playing table keeps its counts.
void doClearSmartPlays();

// File > Reveal Selected Tune In Finder.
void doRevealSelectedTune();
// Shows the file in the desktop's file manager: 0 or an error.
std::int32_t showFileInFinder(std::string_view path);

// Player > Reveal Now Playing: shows the playing playlist in the list.
void doRevealNowPlaying();
