#include "player/playback.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "core/errors.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "ingest/save_alerts.h"
#include "ingest/windows.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/toolbox.h"
#include "player/position.h"
#include "playlists/builder.h"
#include "playlists/presentation.h"

std::int16_t gHolderVolume_S = 0;

namespace {

// Player menu items.
constexpr std::int16_t kPlayItem = 1;
constexpr std::int16_t kNextItem = 3;
constexpr std::int16_t kBackItem = 4;
constexpr std::int16_t kMuteItem = 6;
constexpr std::int16_t kVolumeUpItem = 7;
constexpr std::int16_t kVolumeDownItem = 8;
constexpr std::int16_t kLoopItem = 10;
constexpr std::int16_t kRevealNowPlayingItem = 12;
// File menu items a run leaves enabled when it ends.
constexpr std::int16_t kFileItemsAfterRun[] = {1, 2, 8};

// More failures than this in one run, and the library is taken to be on a
// volume that is not mounted.
constexpr int kFailuresBeforeGivingUp = 10;

// Each start request gets a number; a run whose number is no longer the
// latest ends at its next pass.
std::uint32_t gRunGeneration = 0;
// Play tasks started and not yet finished.
int gRunsAlive = 0;

// Counts a play task as alive from its start until it finishes or is dropped.
class RunToken {
 public:
  RunToken() { ++gRunsAlive; }
  RunToken(RunToken&& o) noexcept : live_(o.live_) { o.live_ = false; }
  RunToken(const RunToken&) = delete;
  RunToken& operator=(const RunToken&) = delete;
  RunToken& operator=(RunToken&&) = delete;
  ~RunToken() { release(); }
  void release() {
    if (live_) --gRunsAlive;
    live_ = false;
  }

 private:
  bool live_ = true;
};

// The movie of the tune that sounds; whatever way the run ends (including the
// task being dropped at quit) the movie is disposed of and gNowPlayingMovie
// forgets it.
struct SoundingMovie {
  MovieOwner owner;
  SoundingMovie() = default;
  SoundingMovie(const SoundingMovie&) = delete;
  SoundingMovie& operator=(const SoundingMovie&) = delete;
  ~SoundingMovie() { release(); }
  void release() {
    if (owner && gNowPlayingMovie == owner.get()) gNowPlayingMovie = nullptr;
    owner.reset();
  }
};

// The list's rows in their order on screen, taken at the run's passes (the
// user may re-sort the list while a tune plays).
class ViewRows {
 public:
  void refresh() { rows_ = listViewShownRows(kMainWindow, kListControl); }
  // Row of `entry`, or -1. `hint` is tried first.
  std::int32_t rowOf(std::int32_t entry, std::int32_t hint) const {
    if (entryAt(hint) == entry) return hint;
    const auto it = std::find(rows_.begin(), rows_.end(), entry);
    return it == rows_.end() ? -1 : static_cast<std::int32_t>(it - rows_.begin());
  }
  // Entry on row r, or 0.
  std::int32_t entryAt(std::int32_t r) const {
    return r >= 0 && static_cast<std::size_t>(r) < rows_.size() ? rows_[static_cast<std::size_t>(r)] : 0;
  }

 private:
  std::vector<std::int32_t> rows_;
};

enum class RunEnd {
  finished,    // after the last entry, or at a row it could not find
  silent,      // nothing sounded: an empty playlist, or no checked entry
  stopped,     // Stop
  superseded,  // a newer start request
};

bool showingPlayingTable() { return gCurrentPlayingIDName$ == gCurrentPlayllistIDName$; }

// The movie's volume for the entry that sounds: silent while muted, so that a
// listener who muted hears nothing until unmuting, whatever tune comes next.
std::int16_t soundingVolume() { return gSoundMute_S == 1 ? std::int16_t{0} : adjustVolume(); }

void setPlayingMenus() {
  setMenuItemText(kPlayerMenu, kPlayItem, "Stop Playing");
  for (std::int16_t item :
       {kNextItem, kBackItem, kMuteItem, kLoopItem, kRevealNowPlayingItem, kVolumeUpItem, kVolumeDownItem})
    setMenuItemEnabled(kPlayerMenu, item, true);
  // Enabling clears an item's mark; the modes themselves stay on.
  if (gSoundMute_S == 1) setMenuItemMark(kPlayerMenu, kMuteItem, true);
  if (gLoopTune_S == 1 || gLoopPlaylist_S == 1) setMenuItemMark(kPlayerMenu, kLoopItem, true);
  pauseItemForRun(true);
}

void setIdleMenus() {
  for (std::int16_t item : kFileItemsAfterRun) setMenuItemEnabled(kFileMenu, item, true);
  setMenuItemEnabled(kPlayerMenu, kMuteItem, false);
  setMenuItemEnabled(kPlayerMenu, kLoopItem, false);
  setMenuItemText(kPlayerMenu, kPlayItem, "Play");
  for (std::int16_t item : {kNextItem, kBackItem, kRevealNowPlayingItem, kVolumeUpItem, kVolumeDownItem})
    setMenuItemEnabled(kPlayerMenu, item, false);
  pauseItemForRun(false);
}

[[noreturn]] void giveUpOnMissingTunes(OSErr code) {
  myStopAlert("Missing Tunes Alert" + numText(code),
              "Many of the tunes in your library are not available. Please make sure you have the volume "
              "mounted. Quit Lumaroll and try again.",
              "Quit");
  makeSavingDBTunesWindow();
  saveBeforeQuitting(QuitSave::tell, true);
  exitProgram(0);
}

void endOfRun() {
  gNextTune_S = 0;
  gBackTune_S = 0;
  gWeArePlaying_S = 0;
  gNowPlayingItemID_L = 0;
  gCurrentPlayingIDName$.assign("");
  toolboxInvalidateControl(kMainWindow, kListControl);  // the now-playing dot goes
  setIdleMenus();
  swapPlayBtn(1);
  drawDisplay();
  playerTuneChanged();
}

// One play run over a fresh copy of the shown playlist, from entry `start`.
Task playRun(std::int32_t start, std::uint32_t generation, RunEnd& end) {
  std::int32_t m = gTotalPlaylistTunes_L;
  if (m <= 0) {
    // Nothing to play: undo the Stop icon the request put up.
    end = RunEnd::silent;
    setMenuItemText(kPlayerMenu, kPlayItem, "Play");
    swapPlayBtn(1);
    co_return;
  }
  setPlayingMenus();
  gCurrentPlayingIDName$ = gCurrentPlayllistIDName$;
  gCurrentPlayingPL_S = gCurrentPlaylist_S;
  const auto shown = gPlaylistTunes_A.records(1, m);
  std::copy(shown.begin(), shown.end(), gNowPlaying_A.records(1, m).begin());
  gTotalPlaying_L = m;
  gStopPlaying_S = 0;

  int failures = 0;
  bool sounded = false;
  std::int32_t e = (start < 1 || start > m) ? 1 : start;
  ViewRows view;
  view.refresh();
  std::int32_t r = view.rowOf(e, -1);
  SoundingMovie sounding;
  end = RunEnd::finished;

  // Index order: Back goes two entries back, anything else one forward.
  auto indexStep = [&] {
    e = gBackTune_S == 1 ? e - 2 : e + 1;
    return e >= 1 && e <= m;
  };
  // Past an entry that cannot sound (unchecked, or its file missing), one
  // entry on in the direction of travel: Back that lands on an unchecked
  // entry goes on to the nearest checked one before it, not two more.
  auto skipStep = [&] {
    e = gBackTune_S == 1 ? e - 1 : e + 1;
    return e >= 1 && e <= m;
  };
  // View order, one row up or down; leaving the rows or a row that cannot be
  // found ends the run.
  auto rowStep = [&](bool up) {
    r = view.rowOf(e, r);
    if (r < 0) return false;
    r += up ? -1 : 1;
    if (r < 0 || r > m - 1) return false;
    e = view.entryAt(r);
    return e >= 1 && e <= m;
  };

  for (;;) {
    if (generation != gRunGeneration) {
      end = RunEnd::superseded;
      break;
    }
    if (gNowPlaying_A[e].checked != 1) {
      if (!(showingPlayingTable() ? rowStep(gBackTune_S == 1) : skipStep())) break;
      continue;
    }

    gNowPlayingItemID_L = e;
    ClearMoviesStickyError();
    MovieFileRef file = 0;
    bool failed = false;
    OSErr code = OpenMovieFile(gNowPlaying_A[e].filePath.view(), file);
    if (code != noErr) {
      failed = true;
    } else {
      const OSErr made = NewMovieFromFile(file, *sounding.owner.out());
      // A file that will not close after its movie was made is of no further
      // concern: the movie plays from memory and the reference is gone.
      const OSErr closed = CloseMovieFile(file);
      if (made != noErr) {
        ClearMoviesStickyError();
        failed = true;
        code = closed;
      }
    }
    if (failed) {
      if (++failures > kFailuresBeforeGivingUp || failures >= m) giveUpOnMissingTunes(code);
      if (!skipStep()) break;
      continue;
    }

    const Movie movie = sounding.owner.get();
    gNowPlayingMovie = movie;
    gWeArePlaying_S = 1;
    sounded = true;
    SetMovieVolume(movie, soundingVolume());
    GoToBeginningOfMovie(movie);
    StartMovie(movie);
    playerTuneChanged();
    if (gCurrentPlaylist_S == gCurrentPlayingPL_S) {
      gCurrentSelectedTune_L = e;
      listViewSelectRow(kMainWindow, kListControl, 0);
      listViewSelectRow(kMainWindow, kListControl, e);
      toolboxInvalidateControl(kMainWindow, kListControl);
    }
    drawDisplay();
    swapPlayBtn(2);
    // A Next or Back request stays in force while the run walks past
    // unchecked entries and missing files, so Back over an unchecked row
    // reaches the checked one above it; it is used up once a tune sounds.
    gNextTune_S = 0;
    gBackTune_S = 0;

    for (;;) {
      MoviesTask(movie, 0);
      showPlayPosition(false);
      co_await yieldTicks(1);
      if (generation != gRunGeneration) break;
      if (gNextTune_S == 1 || gBackTune_S == 1 || gStopPlaying_S == 1 || IsMovieDone(movie)) break;
    }
    sounding.release();
    ClearMoviesStickyError();
    // While the tune sounded, Delete Tune may have taken entries out of the
    // now-playing table and moved the rest down; the table's count and the
    // playing entry's number were kept in step with it, so the run goes on
    // from them and plays exactly the entries that remain.
    e = gNowPlayingItemID_L;
    m = gTotalPlaying_L;
    if (generation != gRunGeneration) {
      end = RunEnd::superseded;
      break;
    }

    bool goOn = true;
    if (!showingPlayingTable()) {
      if (gLoopTune_S != 1) goOn = indexStep();
    } else {
      view.refresh();
      r = view.rowOf(e, r);
      if (r < 0) {
        goOn = false;
      } else if (gBackTune_S == 1) {
        if (r > 0) e = view.entryAt(--r);  // on the first row Back plays it again
      } else if (gLoopTune_S != 1) {
        goOn = rowStep(false);
      }
    }
    if (gStopPlaying_S == 1) {
      end = RunEnd::stopped;
      break;
    }
    if (!goOn) break;
  }
  if (end == RunEnd::finished && !sounded) end = RunEnd::silent;
  sounding.release();
  endOfRun();
}

Task playTask(std::int32_t start, std::uint32_t generation, RunToken token) {
  // The play loop never nests: an older run ends first (it was told so by
  // the new generation), then this one begins. A newer request than this one
  // makes it give way without playing.
  for (;;) {
    if (generation != gRunGeneration) co_return;
    if (gRunsAlive == 1) break;
    co_await yieldTicks(0);
  }
  for (std::int32_t from = start;; from = 1) {
    RunEnd end = RunEnd::finished;
    co_await playRun(from, generation, end);
    // Loop Current Playlist repeats runs that played to their end. Stop ends
    // the repetition too, and so does a run in which nothing could sound, so
    // an empty or all-unchecked playlist does not spin.
    if (end != RunEnd::finished || gLoopPlaylist_S != 1 || generation != gRunGeneration) break;
    co_await yieldTicks(1);
  }
  token.release();
}

}  // namespace

void startPlayingFromButtons() {
  if (gRunsAlive > 0) stopSoundingMovie();  // the old tune stops at once
  ++gRunGeneration;
  startTask(playTask(gCurrentSelectedTune_L, gRunGeneration, RunToken{}));
}

bool playRunActive() { return gRunsAlive > 0; }

std::int16_t levelledVolume(std::int16_t playerVolume, std::int32_t avgAmplitude) {
  const double v = playerVolume;
  double level = 0.0;
  if (avgAmplitude >= 900)
    level = 0.4 * v;
  else if (avgAmplitude <= 80)
    level = 1.6 * v;
  else
    level = v + v * v / (7.37 * avgAmplitude);
  return static_cast<std::int16_t>(std::min(level, 32767.0));
}

std::int16_t adjustVolume() {
  const std::int32_t amplitude = gNowPlaying_A[gNowPlayingItemID_L].avgAmplitude;
  return levelledVolume(gPlayerVolume_S, amplitude);
}

bool isNowPlayingRow(std::int32_t entry) {
  return entry >= 1 && entry == gNowPlayingItemID_L && gWeArePlaying_S == 1 && showingPlayingTable();
}

namespace {

// The guard of Play/Stop, Next and Back: tunes in the library and in the
// playlist.
bool playerCommandAllowed() {
  if (gStartTotalTunes_L <= 0) {
    threeBeeps();
    return false;
  }
  return gTotalPlaylistTunes_L > 0;
}

void askForStop() {
  setMenuItemText(kPlayerMenu, kPlayItem, "Play");
  gStopPlaying_S = 1;
  swapPlayBtn(1);
}

void askForStart() {
  setMenuItemText(kPlayerMenu, kPlayItem, "Stop Playing");
  gStartPlaying_S = 1;
  swapPlayBtn(2);
}

// While muted a change of the setting waits for the unmute.
void giveMovieLevelledVolume() {
  if (gWeArePlaying_S == 1 && gSoundMute_S != 1 && gNowPlayingMovie) SetMovieVolume(gNowPlayingMovie, adjustVolume());
}

void setLoopMarks() {
  setMenuItemMark(kLoopMenu, 1, gLoopTune_S == 1);
  setMenuItemMark(kLoopMenu, 2, gLoopPlaylist_S == 1);
  setMenuItemMark(kPlayerMenu, kLoopItem, gLoopTune_S == 1 || gLoopPlaylist_S == 1);
}

}  // namespace

void playerPlayStopCommand() {
  if (!playerCommandAllowed()) return;
  if (gWeArePlaying_S == 1) {
    askForStop();
    drawDisplay();
    return;
  }
  if (gCurrentSelectedTune_L < 1) {
    gCurrentSelectedTune_L = 1;
    listViewSelectRow(kMainWindow, kListControl, 1);
  }
  askForStart();
}

void playerPlayButton() {
  if (!playerCommandAllowed()) return;
  if (playerResume()) return;  // a paused tune goes on
  if (gWeArePlaying_S == 1) {
    askForStop();
    gWeArePlaying_S = 0;
    drawDisplay();
    return;
  }
  askForStart();
}

void playerCommandStop() {
  if (gNowPlayingMovie) {
    stopSoundingMovie();
    gStopPlaying_S = 1;
    gWeArePlaying_S = 0;
    setMenuItemText(kPlayerMenu, kPlayItem, "Play");
    swapPlayBtn(1);
    drawDisplay();
  }
  gRefreshDisplay_S = 1;
}

void playerNextCommand() {
  if (playerCommandAllowed()) gNextTune_S = 1;
}

void playerBackCommand() {
  if (playerCommandAllowed()) gBackTune_S = 1;
}

void playerMuteCommand() {
  if (!gNowPlayingMovie) return;
  if (gSoundMute_S == 1) {
    // The player volume may have changed while muted; the tune comes back at
    // its levelled volume for the current setting.
    gSoundMute_S = 0;
    SetMovieVolume(gNowPlayingMovie, adjustVolume());
    setMenuItemMark(kPlayerMenu, kMuteItem, false);
  } else {
    gSoundMute_S = 1;
    gHolderVolume_S = gPlayerVolume_S;
    SetMovieVolume(gNowPlayingMovie, 0);
    setMenuItemMark(kPlayerMenu, kMuteItem, true);
  }
}

void setPlayerVolume(std::int32_t v) {
  gPlayerVolume_S = static_cast<std::int16_t>(std::clamp<std::int32_t>(v, 0, kMaxPlayerVolume));
  setControlValue(kMainWindow, kVolumeSlider, gPlayerVolume_S);
  giveMovieLevelledVolume();
}

void playerVolumeUp() { setPlayerVolume(gPlayerVolume_S < 721 ? gPlayerVolume_S + 10 : kMaxPlayerVolume); }

void playerVolumeDown() { setPlayerVolume(gPlayerVolume_S >= 11 ? gPlayerVolume_S - 10 : 0); }

void playerVolumeSlider(std::int32_t value) {
  gPlayerVolume_S = static_cast<std::int16_t>(std::clamp<std::int32_t>(value, 0, kMaxPlayerVolume));
  giveMovieLevelledVolume();
}

void playerLoopCurrentTune() {
  const bool on = gLoopTune_S == 0;
  gLoopTune_S = on ? 1 : 0;
  gLoopPlaylist_S = 0;
  setLoopMarks();
}

void playerLoopCurrentPlaylist() {
  const bool on = gLoopPlaylist_S == 0;
  gLoopPlaylist_S = on ? 1 : 0;
  gLoopTune_S = 0;
  setLoopMarks();
}
