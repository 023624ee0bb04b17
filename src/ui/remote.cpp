#include "ui/remote.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/appstate.h"
#include "core/macroman.h"
#include "core/paths.h"
#include "core/prefs.h"
#include "engine/classify.h"
#include "library/tune.h"
#include "platform/toolbox.h"
#include "player/playback.h"
#include "player/position.h"
#include "ui/menus.h"

namespace {

bool playing() { return gWeArePlaying_S == 1; }

RemoteLoop loopMode() {
  return gLoopTune_S == 1 ? RemoteLoop::tune : gLoopPlaylist_S == 1 ? RemoteLoop::playlist : RemoteLoop::none;
}

RemoteTune remoteTuneOf(const Tune& t) {
  RemoteTune r;
  r.permID = t.permID;
  r.title = storedToDisplay(t.title.view());
  r.artist = storedToDisplay(t.artist.view());
  r.album = storedToDisplay(t.album.view());
  r.url = fileURLOfPath(t.filePath.view());
  const std::int32_t seconds = t.durationSeconds;
  r.lengthMicroseconds = std::max<std::int64_t>(seconds, 0) * 1'000'000;
  const std::int32_t category = t.colourCategory;
  if (category >= 1 && category <= 9) r.colourName = std::string(kColourCategories[category].name);
  r.hpe = t.hpe;
  return r;
}

}  // namespace

std::int16_t playerVolumeOfRemote(double volume) {
  if (!(volume == volume)) return 0;
  return static_cast<std::int16_t>(std::lround(std::clamp(volume, 0.0, 1.0) * kMaxPlayerVolume));
}

double remoteVolumeOfPlayer(std::int16_t playerVolume) {
  return std::clamp(static_cast<double>(playerVolume) / kMaxPlayerVolume, 0.0, 1.0);
}

RemoteState remoteState() {
  RemoteState s;
  s.playing = playing();
  const std::int32_t entry = gNowPlayingItemID_L;
  if (s.playing && entry >= 1 && entry <= gTotalPlaying_L) {
    s.hasTune = true;
    s.tune = remoteTuneOf(gNowPlaying_A[entry]);
  }
  s.volume = remoteVolumeOfPlayer(gPlayerVolume_S);
  s.canPlay = toolboxMenuItemEnabled(kPlayerMenu, kPlayerPlayItem) &&
              (s.playing || (gStartTotalTunes_L > 0 && gTotalPlaylistTunes_L > 0));
  s.canGoNext = toolboxMenuItemEnabled(kPlayerMenu, kPlayerNextItem);
  s.canGoPrevious = toolboxMenuItemEnabled(kPlayerMenu, kPlayerBackItem);
  s.loop = loopMode();
  s.paused = s.playing && gTunePaused_S == 1;
  s.positionMicroseconds = std::int64_t{playerPosition()} * 1'000'000 / kMovieTimeScale;
  s.lengthMicroseconds = std::int64_t{playerDuration()} * 1'000'000 / kMovieTimeScale;
  s.positionMoves = gPositionMoves_UL;
  return s;
}

bool remotePlayPause() { return toolboxChooseMenuItem(kPlayerMenu, playing() ? kPlayerPauseItem : kPlayerPlayItem); }

bool remotePlay() {
  if (playing()) return gTunePaused_S == 1 && toolboxChooseMenuItem(kPlayerMenu, kPlayerPauseItem);
  return toolboxChooseMenuItem(kPlayerMenu, kPlayerPlayItem);
}

bool remoteStop() { return playing() && toolboxChooseMenuItem(kPlayerMenu, kPlayerPlayItem); }

bool remotePause() { return playing() && gTunePaused_S != 1 && toolboxChooseMenuItem(kPlayerMenu, kPlayerPauseItem); }

namespace {
std::int32_t unitsOf(std::int64_t microseconds) {
  const std::int64_t units = microseconds / 1000 * kMovieTimeScale / 1000;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(units, 0, INT32_MAX));
}
}  // namespace

bool remoteSeek(std::int64_t offsetMicroseconds) {
  const RemoteState s = remoteState();
  if (!s.hasTune) return false;
  const std::int64_t to = s.positionMicroseconds + offsetMicroseconds;
  if (to >= s.lengthMicroseconds) return remoteNext();
  return playerSeek(unitsOf(std::max<std::int64_t>(to, 0)));
}

bool remoteSetPosition(std::uint32_t permID, std::int64_t positionMicroseconds) {
  const RemoteState s = remoteState();
  if (!s.hasTune || s.tune.permID != permID || positionMicroseconds < 0 || positionMicroseconds > s.lengthMicroseconds)
    return false;
  return playerSeek(unitsOf(positionMicroseconds));
}

bool remoteNext() { return toolboxChooseMenuItem(kPlayerMenu, kPlayerNextItem); }

bool remotePrevious() { return toolboxChooseMenuItem(kPlayerMenu, kPlayerBackItem); }

bool remoteSetLoop(RemoteLoop loop) {
  if (!toolboxMenuItemEnabled(kPlayerMenu, kPlayerLoopItem)) return false;
  // Each item toggles its own mode and turns the other off.
  const RemoteLoop now = loopMode();
  if (now == loop) return true;
  const std::int16_t item = loop == RemoteLoop::tune || (loop == RemoteLoop::none && now == RemoteLoop::tune) ? 1 : 2;
  return toolboxChooseMenuItem(kLoopMenu, item);
}

void remoteSetVolume(double volume) { setPlayerVolume(playerVolumeOfRemote(volume)); }

void remoteRaise() { toolboxSelectWindow(kMainWindow); }

void remoteQuit() {
  if (const auto handler = toolboxHandlers().command) handler(kQuitCommand);
}
