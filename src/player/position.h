// Pausing, the play position and moving it: the paused state of the tune
// that sounds, Player ▸ Pause, and the position slider with its elapsed and
// remaining times under the now-playing display.
//
// A paused tune still counts as playing (gWeArePlaying_S stays 1): Stop,
// Next, Back and the playlist switches act on it as on a sounding tune. The
// play run waits meanwhile.
#pragma once

#include <cstdint>
#include <string>

// 1 while the tune that sounds is paused.
extern std::int16_t gTunePaused_S;
// Raised by every move of the play position, for those who report moves.
extern std::uint32_t gPositionMoves_UL;

// Player menu item after the menu's first twelve (item 13 is its separator).
constexpr std::int16_t kPlayerPauseItem = 14;
// Main-window controls of the position: the slider and the two times.
constexpr std::int16_t kPositionSlider = 18;
constexpr std::int16_t kElapsedText = 19;
constexpr std::int16_t kRemainingText = 20;
// What one arrow key on the slider moves: 5 s in movie time units.
constexpr std::int32_t kPositionStep = 5 * 600;

// Player ▸ Pause / Resume, Space: pauses the tune that sounds, or resumes
// the paused one. False (and nothing happens) when no tune is loaded.
bool playerPauseCommand();
// Each only when it changes something; false otherwise.
bool playerPause();
bool playerResume();
// Moves the tune that sounds (paused or not) to `time` (time units, held to
// the tune's length). False when no tune is loaded.
bool playerSeek(std::int32_t time);
// The play position and the length of the tune that sounds, in time units
// (0 when none is loaded).
std::int32_t playerPosition();
std::int32_t playerDuration();

// Brings the slider and the times up to date: at once when `now`, otherwise
// only when a quarter of a second has passed since the last update (the play
// run calls it at each of its passes).
void showPlayPosition(bool now);
// A tune began or the run ended: the paused state goes, the Pause item and
// the position controls show the new state.
void playerTuneChanged();
// The Pause item's state for a run that starts (true) or ends.
void pauseItemForRun(bool running);
// The elapsed and remaining texts for a position and a length (seconds).
std::string elapsedText(std::int32_t seconds);
std::string remainingText(std::int32_t positionSeconds, std::int32_t durationSeconds);
