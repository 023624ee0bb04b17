#include "ui/maintenance.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "core/appstate.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/toolbox.h"
#include "player/display.h"
#include "player/playback.h"
#include "playlists/builder.h"
#include "playlists/presentation.h"
#include "ui/dbdata.h"
#include "ui/mainwindow.h"

namespace {

// Keys of the two ways of matching: each field with its length, so no two
// different field lists give the same key.
void appendField(std::string& key, std::string_view field) {
  key.push_back(static_cast<char>(field.size()));
  key.append(field);
}
std::string titleAlbumKey(const Tune& t) {
  std::string key;
  appendField(key, t.title.view());
  appendField(key, t.album.view());
  return key;
}
std::string fourFieldKey(const Tune& t) {
  std::string key = titleAlbumKey(t);
  appendField(key, t.artist.view());
  appendField(key, t.genre.view());
  return key;
}

using FirstIndex = std::unordered_map<std::string, std::int32_t>;

// The first entry 1..count of a table for every key.
FirstIndex firstIndex(TuneTable& table, std::int32_t count, std::string (*key)(const Tune&)) {
  FirstIndex index;
  index.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 1; i <= count; ++i) index.emplace(key(table[i]), i);
  return index;
}

// The entry of a table that is the row's tune (the one with its permID), or
// 0. Not the first with the same four texts: the row's texts may be older
// than its tune's (an edit reaches the library, not the playlist), and two
// tunes may share all four.
std::int32_t sameTuneIn(TuneTable& table, std::int32_t count, const Tune& row) {
  const std::uint32_t permID = row.permID;
  for (std::int32_t i = 1; i <= count; ++i)
    if (table[i].permID == permID) return i;
  return 0;
}

// Removes entry i of a table of `count` entries by moving the rest down.
void removeEntry(TuneTable& table, std::int32_t i, std::int32_t count) {
  const std::int32_t after = count - i;
  if (after > 0) std::memmove(&table[i], &table[i + 1], static_cast<std::size_t>(after) * sizeof(Tune));
}

bool rowSelected() { return gCurrentSelectedTune_L >= 1 && gCurrentSelectedTune_L <= gTotalPlaylistTunes_L; }

void redrawList() {
  if (gKWEDBrowser) DBDataPopulateBrowser(gKWEDBrowser);
}

bool isProtectedGenre(const Str63& genre) {
  const std::string_view g = genre.view();
  return g == "Holiday & Seasonal" || g == "Holiday" || g == "Soundtrack";
}

enum class GenreScope { artist, album };

void setGenre(GenreScope scope, std::string_view genre) {
  if (!rowSelected()) {
    SysBeep();
    CationAlert("Nothing Selected", "You must select an artist to use this feature.", "Okay");
    return;
  }
  const Tune& row = gPlaylistTunes_A[gCurrentSelectedTune_L];
  Str255 reference{};
  reference = scope == GenreScope::artist ? row.artist.view() : row.album.view();
  if (reference.view() == "Unknown") {
    if (scope == GenreScope::artist)
      CationAlert("Unknown Artist Error", "Sorry, you cannot batch change the genre of unknown artists.", "Okay");
    else
      CationAlert("Unknown Album Error", "Sorry, you cannot batch change the genre of unknown albums.", "Okay");
    return;
  }
  auto apply = [&](TuneTable& table, std::int32_t count) {
    for (std::int32_t i = 1; i <= count; ++i) {
      Tune& t = table[i];
      const bool hit =
          scope == GenreScope::artist ? (t.artist == reference && !isProtectedGenre(t.genre)) : t.album == reference;
      if (!hit) continue;
      t.genreGroup.assign(genre);
      t.genre.assign(genre);
    }
  };
  apply(gTunes_A, gStartTotalTunes_L);
  apply(gPlaylistTunes_A, gTotalPlaylistTunes_L);
  apply(gNowPlaying_A, gTotalPlaying_L);
  RepopulateBrowserData(gKWEDBrowser);
}

}  // namespace

void doDeleteTune() {
  // The tables are renumbered below: an open edit ends on its own tune first.
  DBDataEndEditing(gKWEDBrowser);
  if (movieLoaded() && gCurrentSelectedTune_L == gNowPlayingItemID_L) {
    SysBeep();
    return;
  }
  if (gTotalPlaylistTunes_L <= 0 || !rowSelected()) {
    noTuneSelectedAlert();
    return;
  }
  const std::int32_t deleted = gCurrentSelectedTune_L;
  const Tune row = gPlaylistTunes_A[deleted];
  const std::int32_t oldCount = gTotalPlaylistTunes_L;
  // With another playlist shown, the row's number says nothing about the
  // playing table: the tune that sounds is refused by what would be taken
  // out of that table.
  const std::int32_t playingMatch = sameTuneIn(gNowPlaying_A, gTotalPlaying_L, row);
  if (movieLoaded() && playingMatch != 0 && playingMatch == gNowPlayingItemID_L) {
    SysBeep();
    return;
  }

  if (std::int32_t t = sameTuneIn(gTunes_A, gStartTotalTunes_L, row)) {
    removeTune(t);
    // The tune the More From and Smart-More playlists are built around is a
    // library number: it follows its tune down, and is forgotten with it.
    if (gCurrentMatchTune_L == t)
      gCurrentMatchTune_L = 0;
    else if (gCurrentMatchTune_L > t)
      --gCurrentMatchTune_L;
  }
  if (std::int32_t p = playingMatch) {
    removeEntry(gNowPlaying_A, p, gTotalPlaying_L);
    --gTotalPlaying_L;
    // The playing entry moves down with the rest, so its number follows it.
    if (p < gNowPlayingItemID_L) --gNowPlayingItemID_L;
  }

  // The playlist table loses the row too, so that the table, its count and
  // the list agree: rows after it move down one place and take the IDs of
  // their new positions.
  removeEntry(gPlaylistTunes_A, deleted, oldCount);
  gTotalPlaylistTunes_L = oldCount - 1;
  if (DBBrowser* list = gKWEDBrowser) {
    listViewRemoveRow(list->window, list->control, deleted);
    if (deleted < oldCount) {
      // IDs deleted..oldCount-1 now name the moved rows; oldCount is gone.
      listViewRemoveRow(list->window, list->control, oldCount);
      if (static_cast<std::int32_t>(list->rows.size()) > gTotalPlaylistTunes_L + 1)
        list->rows.resize(static_cast<std::size_t>(gTotalPlaylistTunes_L) + 1);
      RepopulateBrowserData(list);
    } else if (static_cast<std::int32_t>(list->rows.size()) > gTotalPlaylistTunes_L + 1) {
      list->rows.resize(static_cast<std::size_t>(gTotalPlaylistTunes_L) + 1);
    }
  }

  if (gCurrentPlayllistIDName$ == gCurrentPlayingIDName$ && movieLoaded())
    gCurrentSelectedTune_L = gNowPlayingItemID_L;
  else
    gCurrentSelectedTune_L = deleted - 1;
  if (gKWEDBrowser) listViewSelectRow(gKWEDBrowser->window, gKWEDBrowser->control, gCurrentSelectedTune_L);
  setPlaylistSummary();
}

void doFlushLibrary() {
  if (!CationAlert("Flush Lumaroll Library",
                   "Are you sure you want to flush your library? This process cannot be undone.", "Flush Database"))
    return;
  DBDataEndEditing(gKWEDBrowser);
  if (movieLoaded()) {
    stopSoundingMovie();
    gStopPlaying_S = 1;
  }
  const std::int32_t libraryRecords = std::max(gStartTotalTunes_L, gTotalTunes_L);
  if (libraryRecords > 0) std::memset(&gTunes_A[1], 0, static_cast<std::size_t>(libraryRecords) * sizeof(Tune));
  if (gTotalPlaylistTunes_L > 0)
    std::memset(&gPlaylistTunes_A[1], 0, static_cast<std::size_t>(gTotalPlaylistTunes_L) * sizeof(Tune));
  if (gTotalPlaying_L > 0) std::memset(&gNowPlaying_A[1], 0, static_cast<std::size_t>(gTotalPlaying_L) * sizeof(Tune));
  gTotalPlaylistTunes_L = 0;
  gCurrentSelectedTune_L = 0;
  gTotalTunes_L = 0;
  gStartTotalTunes_L = 0;
  gTotalPlaying_L = 0;
  for (std::int32_t c = 1; c <= 9; ++c) *colourCounter(c) = 0;
  saveDatabaseFiles();
  openDatabaseFiles();
  if (DBBrowser* list = gKWEDBrowser) {
    DBDataRemoveAllBrowserItems(list);
    listViewScrollToTop(list->window, list->control);
  }
  setPlaylistSummary();
}

void doSetGenreForArtist(std::string_view genre) { setGenre(GenreScope::artist, genre); }
void doSetGenreForAlbum(std::string_view genre) { setGenre(GenreScope::album, genre); }

void doCheckMarkAll(std::uint16_t value) {
  if (gTotalPlaylistTunes_L <= 0) {
    SysBeep();
    CationAlert("Empty List Error",
                value == 1 ? "There are no tunes in the list to check-mark."
                           : "There are no tunes in the list to uncheck-mark.",
                "Okay");
    return;
  }
  const std::int32_t n = gTotalPlaylistTunes_L;
  const bool allTunes = n == gStartTotalTunes_L;
  // First entries by key, so each row finds its match without a walk.
  const FirstIndex playing = firstIndex(gNowPlaying_A, gTotalPlaying_L, titleAlbumKey);
  const FirstIndex library = allTunes ? FirstIndex{} : firstIndex(gTunes_A, gStartTotalTunes_L, fourFieldKey);
  for (std::int32_t i = 1; i <= n; ++i) {
    Tune& row = gPlaylistTunes_A[i];
    row.checked = value;
    if (gKWEDBrowser) DBDataSetBtnVal(gKWEDBrowser, kColCheck, i, value);
    if (allTunes)
      // The All Tunes playlist: row i is library tune i.
      gTunes_A[i].checked = value;
    else if (auto t = library.find(fourFieldKey(row)); t != library.end())
      gTunes_A[t->second].checked = value;
    if (auto p = playing.find(titleAlbumKey(row)); p != playing.end()) gNowPlaying_A[p->second].checked = value;
  }
  redrawList();
}

void doClearSmartPlays() {
  for (std::int32_t i = 1; i <= gStartTotalTunes_L; ++i) gTunes_A[i].playCount = 0;
  for (std::int32_t i = 1; i <= gTotalPlaylistTunes_L; ++i) {
    gPlaylistTunes_A[i].playCount = 0;
    if (gKWEDBrowser) DBDataSetText(gKWEDBrowser, kColPlays, i, numText(0));
  }
  redrawList();
}

namespace {
std::string gRevealedFolder;

// No file manager showed the tune: the beep alone would leave the user
// guessing, so the alert names the folder the file is in.
void revealFailed() {
  SysBeep();
  myStopAlert("The Folder Could Not Be Shown",
              "No file manager could show the tune's folder. The tune is in:\n" + gRevealedFolder, "Okay");
}
}  // namespace

std::int32_t showFileInFinder(std::string_view path) { return toolboxRevealFile(path, revealFailed); }

void doRevealSelectedTune() {
  if (!rowSelected()) {
    noTuneSelectedAlert();
    return;
  }
  const Str255 path = gPlaylistTunes_A[gCurrentSelectedTune_L].filePath;
  const std::string_view file = path.view();
  gRevealedFolder = std::string(file.substr(0, file.rfind('/') == std::string_view::npos ? 0 : file.rfind('/') + 1));
  if (showFileInFinder(file) != 0) revealFailed();
}

void doRevealNowPlaying() {
  if (!movieLoaded()) {
    SysBeep();
    CationAlert("Nothing Playing", "There is no actively playing playlist.", "Okay");
    return;
  }
  DBDataEndEditing(gKWEDBrowser);  // before the playlist is copied over
  const std::int32_t n = gTotalPlaying_L;
  if (n > 0) std::memcpy(&gPlaylistTunes_A[1], &gNowPlaying_A[1], static_cast<std::size_t>(n) * sizeof(Tune));
  gTotalPlaylistTunes_L = n;
  gCurrentSelectedTune_L = gNowPlayingItemID_L;
  if (DBBrowser* list = gKWEDBrowser) {
    DBDataRemoveAllBrowserItems(list);
    listViewScrollToTop(list->window, list->control);
    DBDataSetSortColumn(list, kColID);
    RepopulateBrowserData(list);
  }
  gCurrentPlayingIDName$ = gCurrentPlayllistIDName$;
  gCurrentPlaylist_S = gCurrentPlayingPL_S;
  std::int64_t seconds = 0;
  std::uint32_t megabytes = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    seconds += gPlaylistTunes_A[i].durationSeconds;
    megabytes += gPlaylistTunes_A[i].fileLength >> 20;
  }
  gMatchResultSeconds_L = static_cast<std::int32_t>(seconds);
  gTotalTuneMBs_UL = megabytes;
  if (DBBrowser* list = gKWEDBrowser) {
    listViewScrollToTop(list->window, list->control);
    listViewSelectRow(list->window, list->control, gCurrentSelectedTune_L);
    DBDataRevealItem(list, gCurrentSelectedTune_L, kColName);
  }
  setPlaylistSummary();
  drawDisplay();
}
