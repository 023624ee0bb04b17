#include "playlists/presentation.h"

#include <vector>

#include "core/appstate.h"
#include "engine/durations.h"
#include "library/tune.h"
#include "platform/toolbox.h"
#include "playlists/builder.h"
#include "playlists/notice.h"
#include "playlists/ranking.h"
#include "playlists/rnd.h"

namespace {

constexpr ListColumnKey kPlaylistOrderColumn = fourCharCode("PLID");
constexpr ListColumnKey kTitleColumn = fourCharCode("Text");
constexpr std::int32_t kNoticeMilliseconds = 2000;

const char* const kEmptyColourMessages[9] = {
    "No midnight blue tunes...", "No cool blue tunes...", "No green tunes...",
    "No bright green tunes...",  "No yellow tunes...",    "No orange tunes...",
    "No red tunes...",           "No pink tunes...",      "No purple tunes...",
};

// The list view's model (when it has one) fills the rows' cells from
// gPlaylistTunes_A as they are handed over, and forgets them when they go.
void refillList() {
  listViewSetSortColumn(kMainWindow, kListControl, kPlaylistOrderColumn);
  std::vector<std::int32_t> rows(static_cast<std::size_t>(gTotalPlaylistTunes_L));
  for (std::int32_t i = 1; i <= gTotalPlaylistTunes_L; ++i) rows[static_cast<std::size_t>(i - 1)] = i;
  listViewAddRows(kMainWindow, kListControl, rows);
}

void requestStart() {
  swapPlayBtn(2);
  gStartPlaying_S = 1;
}

bool libraryEmpty() { return gStartTotalTunes_L <= 0; }

void bumpPlayCount() {
  // A match tune outside the library (none chosen yet, or tunes removed since)
  // has no record to count in.
  if (gCurrentMatchTune_L >= 1 && gCurrentMatchTune_L <= gStartTotalTunes_L) ++gTunes_A[gCurrentMatchTune_L].playCount;
}

void buildAndPresent(std::int16_t kind, bool sorted) {
  gCurrentPlaylist_S = kind;
  buildCurrentPlaylist();
  presentPlaylist(sorted);
}

}  // namespace

void swapPlayBtn(std::int16_t mode) {
  if (mode == 1) {
    setControlIcon(kMainWindow, kPlayButton, "PlayBtn");
  } else {
    setControlIcon(kMainWindow, kPlayButton, "StopBtn");
    setMenuItemText(kPlayerMenu, 1, "Stop Playing");
  }
}

void threeBeeps() {
  for (int i = 0; i < 3; ++i) SysBeep();
}

void noTuneSelectedAlert() {
  SysBeep();
  CationAlert("No Tune Selected", "Please select a tune first to use this feature.", "Okay");
}

std::string playlistSummaryText() {
  if (gTotalPlaylistTunes_L <= 0) return "Tunes: 0 \xE2\x80\xA2 Time: 0 secs \xE2\x80\xA2 Size: 0 MB";
  const std::string size =
      gTotalTuneMBs_UL < 1025 ? numText(gTotalTuneMBs_UL) + " MB" : numText(gTotalTuneMBs_UL / 1024) + " GB";
  return "Tunes:" + numText(gTotalPlaylistTunes_L) +
         "  \xE2\x80\xA2  Time:" + convertSecstoTimeString(gMatchResultSeconds_L) + " \xE2\x80\xA2  Size:" + size;
}

void setPlaylistSummary() { setControlText(kMainWindow, kSummaryText, playlistSummaryText()); }

void presentPlaylist(bool sorted, bool selectFirst) {
  listViewScrollToTop(kMainWindow, kListControl);
  listViewRemoveAll(kMainWindow, kListControl);
  if (gTotalPlaylistTunes_L > 0) {
    if (sorted) sortByMatch();
    refillList();
  }
  setPlaylistSummary();
  if (!selectFirst) {
    // The entry numbers now name other tunes: a selection kept from before
    // would let Delete Tune or More From act on a tune nobody chose.
    gCurrentSelectedTune_L = 0;
    listViewSelectRow(kMainWindow, kListControl, 0);
    toolboxFlush();
    return;
  }
  // An empty playlist has no entry 1 to select; selecting it anyway would let
  // the next Smart-More read a stale record.
  gCurrentSelectedTune_L = gTotalPlaylistTunes_L > 0 ? 1 : 0;
  listViewSelectRow(kMainWindow, kListControl, gCurrentSelectedTune_L);
  listViewScrollToTop(kMainWindow, kListControl);
  if (gCurrentSelectedTune_L == 1) listViewReveal(kMainWindow, kListControl, 1, kTitleColumn);
  toolboxFlush();
}

void matchTuneFromSelection() {
  const std::int32_t sel = gCurrentSelectedTune_L;
  if (sel < 1 || sel > gTotalPlaylistTunes_L) return;
  const std::int32_t wanted = gPlaylistTunes_A[sel].tuneNumber;
  for (std::int32_t t = 1; t <= gStartTotalTunes_L; ++t) {
    if (gTunes_A[t].tuneNumber == wanted) {
      gCurrentMatchTune_L = t;
      return;
    }
  }
}

void stopBeforeSwitch() {
  stopSoundingMovie();
  gStopPlaying_S = 1;
  gWeArePlaying_S = 0;
}

void doColorButtons(std::int32_t button) {
  if (button == 10) {
    if (libraryEmpty()) {
      threeBeeps();
      return;
    }
    buildAndPresent(kPlaylistAllTunes, false);
    return;
  }
  if (button < 1 || button > 9) return;
  const std::int32_t* counter = colourCounter(button);
  if (*counter == 0) {
    SysBeep();
    makeBigAlertWin(kEmptyColourMessages[button - 1], static_cast<std::int16_t>(button));
    toolboxDelay(kNoticeMilliseconds);
    closeBigAlertWin();
    return;
  }
  stopBeforeSwitch();
  matchTuneFromSelection();
  buildAndPresent(static_cast<std::int16_t>(kPlaylistFirstColour - 1 + button), true);
  requestStart();
}

void doPlaylistSwitch(PlaylistSwitch which) {
  if (libraryEmpty()) {
    threeBeeps();
    return;
  }
  struct Row {
    bool needsSelection, plays, countsPlay;
    std::int16_t kind;
  };
  Row row{};
  switch (which) {
    case PlaylistSwitch::allTunes: row = {false, false, false, kPlaylistAllTunes}; break;
    case PlaylistSwitch::lastAdded: row = {false, false, false, kPlaylistLastAdded}; break;
    case PlaylistSwitch::moreFromArtist: row = {true, true, true, kPlaylistArtist}; break;
    case PlaylistSwitch::moreFromAlbum: row = {true, true, true, kPlaylistAlbum}; break;
    case PlaylistSwitch::moreFromGenre: row = {true, true, true, kPlaylistGenre}; break;
    case PlaylistSwitch::smartPlays: row = {false, true, true, kPlaylistSmartPlays}; break;
    case PlaylistSwitch::smartMore: row = {true, true, true, kPlaylistSmartMore}; break;
    case PlaylistSwitch::surpriseMe: row = {false, true, false, kPlaylistSmartMore}; break;
  }
  if (row.needsSelection && gCurrentSelectedTune_L < 1) {
    noTuneSelectedAlert();
    return;
  }
  if (!row.plays) {
    buildAndPresent(row.kind, false);
    return;
  }
  if (which == PlaylistSwitch::surpriseMe) {
    gCurrentMatchTune_L = rnd(gStartTotalTunes_L);
    stopBeforeSwitch();
  } else {
    stopBeforeSwitch();
    matchTuneFromSelection();
  }
  if (row.countsPlay) bumpPlayCount();
  buildAndPresent(row.kind, true);
  requestStart();
}
