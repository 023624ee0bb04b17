// Sending the current playlist out: one script per checked tune to iTunes
// (where an AppleScript runner exists), and the same tunes as an extended M3U
// playlist in the Music folder's Playlists folder, which Linux players import.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "core/pstring.h"

// The script buffer: lines written to it end with a carriage return; a run
// takes (empties) it.
extern std::string gScriptBuffer;
void writeScriptLine(std::string_view line);

// Runs the script buffer through `osascript`. Without one on the PATH the
// result is "AppleScript is not available" and -1 is returned. `result`
// receives at most 255 bytes of the script's output or error text.
std::int16_t AppleScriptRun(Str255& result);

// A text as an AppleScript string literal: between double quotes, with
// backslashes and double quotes escaped so no name or path breaks a script.
std::string appleScriptQuote(std::string_view text);

// The twelve-line script that adds one file to iTunes and to the named
// playlist, and the three-line activation script (lines end with CR).
std::string tuneScript(std::string_view playlistName, std::string_view filePath);
std::string activationScript();

// How many entries a send considers: the leading whole number of the limit
// text when it lies in 1..total, else the whole playlist.
std::int32_t sendCountForLimit(std::string_view limitText, std::int32_t total);

// Sends entries 1..count of the current playlist (checked ones only) and
// writes the M3U file. Sets the activity line; the caller closes the sheet
// and enables the menus. Returns the M3U file's path ("" when none).
std::string sendPlaylistToiTunes(const Str255& name, std::int32_t count);

// Writes entries of gHoldTunes_A (checked among 1..count) as an extended M3U
// file named after the playlist in <Music>/Playlists/. "" on failure.
std::string writeM3uPlaylist(std::string_view name, std::int32_t count);
