#include "player/position.h"

#include <algorithm>

#include "core/appstate.h"
#include "core/tasks.h"
#include "engine/durations.h"
#include "platform/movie.h"
#include "platform/toolbox.h"
#include "player/display.h"
#include "player/playback.h"

std::int16_t gTunePaused_S = 0;
std::uint32_t gPositionMoves_UL = 0;

namespace {

constexpr std::uint32_t kUpdateTicks = 15;  // a quarter of a second
std::uint32_t gLastUpdate = 0;
bool gPositionShown = false;  // the controls show a tune (not their idle state)

bool tuneLoaded() { return gWeArePlaying_S == 1 && gNowPlayingMovie != nullptr; }

void setPauseItemText() { setMenuItemText(kPlayerMenu, kPlayerPauseItem, gTunePaused_S == 1 ? "Resume" : "Pause"); }

}  // namespace

std::string elapsedText(std::int32_t seconds) { return convertSecstoTimeStringShort(std::max(0, seconds)); }

std::string remainingText(std::int32_t positionSeconds, std::int32_t durationSeconds) {
  return "-" + convertSecstoTimeStringShort(std::max(0, durationSeconds - std::max(0, positionSeconds)));
}

std::int32_t playerPosition() { return tuneLoaded() ? GetMovieTime(gNowPlayingMovie) : 0; }

std::int32_t playerDuration() { return tuneLoaded() ? GetMovieDuration(gNowPlayingMovie) : 0; }

bool playerPause() {
  if (!tuneLoaded() || gTunePaused_S == 1 || IsMovieDone(gNowPlayingMovie)) return false;
  PauseMovie(gNowPlayingMovie);
  gTunePaused_S = 1;
  setPauseItemText();
  swapPlayBtn(1);  // the play button resumes
  drawDisplay();
  showPlayPosition(true);
  return true;
}

bool playerResume() {
  if (!tuneLoaded() || gTunePaused_S != 1) return false;
  ResumeMovie(gNowPlayingMovie);
  gTunePaused_S = 0;
  setPauseItemText();
  swapPlayBtn(2);
  drawDisplay();
  showPlayPosition(true);
  return true;
}

bool playerPauseCommand() { return gTunePaused_S == 1 ? playerResume() : playerPause(); }

bool playerSeek(std::int32_t time) {
  if (!tuneLoaded()) return false;
  SetMovieTimeValue(gNowPlayingMovie, std::clamp(time, 0, GetMovieDuration(gNowPlayingMovie)));
  ++gPositionMoves_UL;
  showPlayPosition(true);
  return true;
}

void showPlayPosition(bool now) {
  if (!tuneLoaded()) {
    // Nothing plays: the controls rest, and nothing updates them until a
    // tune starts.
    if (!gPositionShown && !now) return;
    gPositionShown = false;
    setControlValue(kMainWindow, kPositionSlider, 0);
    setControlEnabled(kMainWindow, kPositionSlider, false);
    setControlText(kMainWindow, kElapsedText, "");
    setControlText(kMainWindow, kRemainingText, "");
    return;
  }
  const std::uint32_t tick = TickCount();
  if (!now && gPositionShown && tick - gLastUpdate < kUpdateTicks) return;
  gLastUpdate = tick;
  const std::int32_t duration = GetMovieDuration(gNowPlayingMovie);
  const std::int32_t position = std::min(GetMovieTime(gNowPlayingMovie), duration);
  if (!gPositionShown) {
    setControlEnabled(kMainWindow, kPositionSlider, true);
    gPositionShown = true;
  }
  setControlMaximum(kMainWindow, kPositionSlider, duration);
  setControlValue(kMainWindow, kPositionSlider, position);
  setControlText(kMainWindow, kElapsedText, elapsedText(position / 600));
  setControlText(kMainWindow, kRemainingText, remainingText(position / 600, duration / 600));
}

void playerTuneChanged() {
  gTunePaused_S = 0;
  setPauseItemText();
  showPlayPosition(true);
}

void pauseItemForRun(bool running) {
  if (!running) gTunePaused_S = 0;
  setPauseItemText();
  setMenuItemEnabled(kPlayerMenu, kPlayerPauseItem, running);
}
