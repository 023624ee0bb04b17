// The playback engine: a play run copies the shown playlist into the
// now-playing table and plays its checked entries one after another, each at a
// volume levelled by its measured loudness. The run is a cooperative task: it
// yields to the event loop while a tune sounds and reads the player requests
// (gNextTune_S, gBackTune_S, gStopPlaying_S) at each of its passes. Commands
// only raise those flags or change the volume.
#pragma once

#include <cstdint>

#include "library/tune.h"  // gNowPlayingMovie, movieLoaded, stopSoundingMovie
#include "platform/movie.h"
#include "player/display.h"
#include "playlists/presentation.h"  // swapPlayBtn, kPlayButton, kPlayerMenu

// The player volume saved when muting.
extern std::int16_t gHolderVolume_S;

// Menus the player keeps up to date.
constexpr std::int16_t kFileMenu = 1;
constexpr std::int16_t kLoopMenu = 7;
// Controls of the main window the player uses.
constexpr std::int16_t kBackButton = 12;
constexpr std::int16_t kNextButton = 13;
constexpr std::int16_t kVolumeSlider = 17;

// Starts a play run at entry gCurrentSelectedTune_L (entry 1 when that is not
// an entry). A run already going ends first: its tune is silenced at once, and
// the new run begins when the old one has finished. While Loop Current
// Playlist is on, a run that ends by itself starts again at entry 1.
void startPlayingFromButtons();
// True from a start until the run (and its repetitions) has ended.
bool playRunActive();

// The levelled volume of the entry at the play position.
std::int16_t adjustVolume();
// The same for a player volume and an average amplitude.
std::int16_t levelledVolume(std::int16_t playerVolume, std::int32_t avgAmplitude);

// True when the list's row `entry` is the tune that sounds, in the playlist
// that is shown (where the list draws its now-playing dot).
bool isNowPlayingRow(std::int32_t entry);

// ---- Player commands (Player menu and main-window controls) -------------

// Play / Stop from the Player menu: with a tune sounding it asks the run to
// stop, otherwise it asks for a start (entry 1 when nothing is selected).
// Three beeps with an empty library; nothing with an empty playlist.
void playerPlayStopCommand();
// The play button: the same, but a stop also clears gWeArePlaying_S at once
// and a start keeps the selection as it is.
void playerPlayButton();
// Stopping as the commands that stop playback by themselves do (sending a
// playlist, adding tunes): the movie is silenced, the run asked to end, the
// play button and the Player menu show "Play", the display is redrawn.
void playerCommandStop();
// Next and Back from the menu: three beeps with an empty library, nothing
// with an empty playlist.
void playerNextCommand();
void playerBackCommand();
// Mute toggles (only while a movie exists).
void playerMuteCommand();
void playerVolumeUp();
void playerVolumeDown();
// The player volume's ceiling: the volume slider's top.
constexpr std::int16_t kMaxPlayerVolume = 730;
// Sets the player volume (held to 0..kMaxPlayerVolume), moves the slider to
// it and gives the sounding tune its levelled volume.
void setPlayerVolume(std::int32_t v);
// The volume slider was moved to `value`.
void playerVolumeSlider(std::int32_t value);
// Loop ▸ Current Tune and Loop ▸ Current Playlist.
void playerLoopCurrentTune();
void playerLoopCurrentPlaylist();
