// The five settings that survive from one run to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

extern std::int16_t gWin1SizeVert_S;  // main window content height
extern std::int16_t gWin1SizeHor_S;   // main window content width
extern std::int16_t gWin1PosHor_S;    // content left edge, global coordinates
extern std::int16_t gWin1PosVert_S;   // content top edge, global coordinates
extern std::int16_t gPlayerVolume_S;  // player volume, 256 = unity

constexpr std::int16_t kDefaultPlayerVolume = 273;

// Sets the five settings to their defaults: the window 100 pixels smaller
// than the main display (whose size the caller gives) in each direction, at
// 0,0; volume 273.
void setDefaultPrefs(std::int32_t screenWidth, std::int32_t screenHeight);

// Reads the preferences file (creating the folder and an empty file when it
// is missing). Exits when the preferences folder cannot be found (start-up
// checks for it first, to beep). A file that is not a regular file, or
// longer than kLongestPrefsFile, is not read: the defaults stay. Returns 0
// or the error code of the failed file call, for resetError.
std::int16_t loadPrefs();
constexpr std::size_t kLongestPrefsFile = 4096;

// Writes the five settings (the caller has put the main window's frame into
// them). Returns 0 or an error code, for resetError; prefsSaveProblem() then
// says why in words ("" after a save that worked).
std::int16_t savePrefs();
const std::string& prefsSaveProblem();

// The file's text for the five current values, and the parse of such a text
// into them; loadPrefs and savePrefs are these plus the file.
std::string prefsFileText();
void applyPrefsFileText(const std::string& text);

std::int16_t byteExchange16(std::int16_t v);
