// The player as other programs see and drive it (the desktop's media keys,
// its media widget, playerctl): a plain snapshot of what plays, and commands
// that go through the same menu items, and so the same guards, as the user's
// own choices. The D-Bus side (ui/mpris) only translates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The tune that sounds, in display text (UTF-8).
struct RemoteTune {
  std::uint32_t permID = 0;
  std::string title, artist, album;
  std::string url;  // file:// address of the tune's file
  std::int64_t lengthMicroseconds = 0;
  std::string colourName;  // "Midnight Blue" .. "Purple"; "" before analysis
  std::int32_t hpe = 0;    // Human Perceived Energy

  bool operator==(const RemoteTune&) const = default;
};

// Loop ▸ Current Tune and Loop ▸ Current Playlist.
enum class RemoteLoop : std::uint8_t { none, tune, playlist };

struct RemoteState {
  bool playing = false;  // a tune is loaded, sounding or paused
  bool paused = false;   // the loaded tune is paused
  bool hasTune = false;  // `tune` is the tune that sounds
  RemoteTune tune;
  double volume = 0;     // the player volume, 0 (silent) .. 1 (the slider's top)
  bool canPlay = false;  // Play/Stop can start playing
  bool canGoNext = false;
  bool canGoPrevious = false;
  RemoteLoop loop = RemoteLoop::none;
  std::int64_t positionMicroseconds = 0;  // where the tune is heard
  std::int64_t lengthMicroseconds = 0;    // the loaded tune's length as it plays
  std::uint32_t positionMoves = 0;        // counts the moves of the position (seeks)

  bool operator==(const RemoteState&) const = default;
};

RemoteState remoteState();

// Player volume of a remote volume (clamped to 0..1; not-a-number is 0) and
// back.
std::int16_t playerVolumeOfRemote(double volume);
double remoteVolumeOfPlayer(std::int16_t playerVolume);

// The commands. Each returns true when it was taken; false when the
// matching menu item is disabled (an add run, an empty playlist, nothing
// playing for Next) or the command has nothing to do.
bool remotePlayPause();
bool remotePlay();
bool remoteStop();
// Pause, and Play of a paused tune, through Player ▸ Pause/Resume.
bool remotePause();
// Moves the position by `offset` (may be negative; before the start is the
// start, past the end is Next); false when no tune is loaded.
bool remoteSeek(std::int64_t offsetMicroseconds);
// Moves the position to `position` when `permID` is the loaded tune and the
// position lies inside it; false (nothing happens) otherwise.
bool remoteSetPosition(std::uint32_t permID, std::int64_t positionMicroseconds);
bool remoteNext();
bool remotePrevious();
// Chooses the Loop items that lead to `loop`; false when the Loop submenu
// cannot be reached (nothing has played since the last run ended).
bool remoteSetLoop(RemoteLoop loop);
// As the volume slider moved to the value's place.
void remoteSetVolume(double volume);
// Brings the main window to the front.
void remoteRaise();
// As Quit from the File menu (which asks during an add run).
void remoteQuit();
