#include "ui/menus.h"

#include <cstdlib>
#include <string>

#include "core/appstate.h"
#include "core/prefs.h"
#include "harness/harness.h"
#include "ingest/add_runs.h"
#include "ingest/windows.h"
#include "library/tune.h"
#include "platform/toolbox.h"
#include "player/display.h"
#include "player/playback.h"
#include "player/position.h"
#include "playlists/builder.h"
#include "playlists/presentation.h"
#include "ui/dbdata.h"
#include "ui/dialog.h"
#include "ui/maintenance.h"
#include "ui/mainwindow.h"
#include "ui/name_sheet.h"

const std::string_view kGenreGroupNames[28] = {"Alternative Rock",
                                               "Blues",
                                               "Christian & Religious",
                                               "Classical",
                                               "Country & Bluegrass",
                                               "Dance & DJ",
                                               "Easy Listening",
                                               "Electronic & Techno",
                                               "Folk",
                                               "Gospel",
                                               "Heavy Metal",
                                               "Holiday & Seasonal",
                                               "Instrumental",
                                               "Jazz",
                                               "Latin & Brazilian",
                                               "Lounge & Exotica",
                                               "New Age",
                                               "Oldies",
                                               "Opera",
                                               "Pop",
                                               "Rap & HipHop",
                                               "Reggae",
                                               "Rock",
                                               "R&B",
                                               "Soundtrack",
                                               "Vocal",
                                               "World & International",
                                               "Young Adult & Children"};

namespace {

// Sets an item from a text that may end in "/c": c is the item's Ctrl key and
// is not shown (nor the blank before it).
void appendItem(std::int16_t menu, std::int16_t item, std::string_view text) {
  char key = 0;
  if (text.size() >= 2 && text[text.size() - 2] == '/') {
    key = text.back();
    text.remove_suffix(2);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  }
  toolboxSetMenuItem(menu, item, text, key);
}

// ---- Shared steps of the commands --------------------------------------------

bool noLibraryBeep() {
  if (gStartTotalTunes_L > 0) return false;
  SysBeep();
  SysBeep();
  SysBeep();
  return true;
}

void busyAddingPrompt() {
  SysBeep();
  if (CationAlert("Tunes Are Currently Being Added...", "Would you like to stop adding tunes?", "Stop Adding"))
    gStopCollectingPerUser_S = 1;
}

void doPlayerMenu(std::int16_t item) {
  switch (item) {
    case kPlayerPlayItem: playerPlayStopCommand(); return;
    case kPlayerNextItem: playerNextCommand(); return;
    case kPlayerBackItem: playerBackCommand(); return;
    case kPlayerMuteItem: playerMuteCommand(); return;
    case kPlayerVolumeUpItem: playerVolumeUp(); return;
    case kPlayerVolumeDownItem: playerVolumeDown(); return;
    case kPlayerRevealItem:
      if (noLibraryBeep()) return;
      doRevealNowPlaying();
      return;
    case kPlayerPauseItem: playerPauseCommand(); return;
    default: return;
  }
}

void doLoopMenu(std::int16_t item) {
  const bool tune = item == 1;
  if (item != 1 && item != 2) return;
  const bool turningOn = tune ? gLoopTune_S == 0 : gLoopPlaylist_S == 0;
  if (turningOn) {
    gLoopTune_S = tune ? 1 : 0;
    gLoopPlaylist_S = tune ? 0 : 1;
  } else {
    gLoopTune_S = 0;
    gLoopPlaylist_S = 0;
  }
  setMenuItemMark(kLoopMenu, 1, gLoopTune_S == 1);
  setMenuItemMark(kLoopMenu, 2, gLoopPlaylist_S == 1);
  setMenuItemMark(kPlayerMenu, kPlayerLoopItem, turningOn);
}

void doFileMenu(std::int16_t item) {
  switch (item) {
    case 1:
      playerCommandStop();
      if (gWeAeAddingTunes_S == 1)
        busyAddingPrompt();
      else
        startAddTunes();
      return;
    case 2:
      playerCommandStop();
      if (gWeAeAddingTunes_S == 1) {
        busyAddingPrompt();
        return;
      }
      if (gWeArePlaying_S == 1) {
        gStopPlaying_S = 1;
        // One pass of the loop lets the run see its stop request and let go
        // of the device before the add run starts.
        if (const auto pass = toolboxHandlers().pass) pass();
      }
      startAddTunesFromMusicFolder();
      return;
    case 4:
      if (noLibraryBeep()) return;
      if (gWeAeAddingTunes_S == 1) {
        busyAddingPrompt();
        return;
      }
      doFlushLibrary();
      return;
    case 6:
      if (noLibraryBeep()) return;
      doRevealSelectedTune();
      return;
    case 8:
      if (noLibraryBeep()) return;
      playerCommandStop();
      buildNamePlaylistDialog();
      return;
    case kFileNotAddedItem: showLeftOutWindow(); return;
    default: return;
  }
}

void doEditMenu(std::int16_t item) {
  switch (item) {
    case 10:
    case 11:
      if (noLibraryBeep()) return;
      doCheckMarkAll(item == 10 ? 1 : 0);
      return;
    case 13:
      if (noLibraryBeep()) return;
      doClearSmartPlays();
      return;
    case 15:
      if (noLibraryBeep()) return;
      if (gWeAeAddingTunes_S == 1) {
        SysBeep();
        SysBeep();
        SysBeep();
        return;
      }
      doDeleteTune();
      return;
    default: return;  // the standard editing items serve the text fields themselves
  }
}

void doPlaylistsMenu(std::int16_t item) {
  switch (item) {
    case 1: doPlaylistSwitch(PlaylistSwitch::allTunes); return;
    case 2: doPlaylistSwitch(PlaylistSwitch::lastAdded); return;
    case 4: doPlaylistSwitch(PlaylistSwitch::moreFromArtist); return;
    case 5: doPlaylistSwitch(PlaylistSwitch::moreFromAlbum); return;
    case 6: doPlaylistSwitch(PlaylistSwitch::moreFromGenre); return;
    case 8: doPlaylistSwitch(PlaylistSwitch::smartPlays); return;
    case 10: doPlaylistSwitch(PlaylistSwitch::smartMore); return;
    case 12: doPlaylistSwitch(PlaylistSwitch::surpriseMe); return;
    default: return;
  }
}

// ---- The developer menu ---------------------------------------------------------

constexpr std::int16_t kHarnessWindow = 5000;
constexpr std::int16_t kHarnessText = 1;
std::string gHarnessText;

void harnessPrintToWindow(std::string_view line) {
  if (!windowExists(kHarnessWindow)) {
    gHarnessText.clear();
    WindowDesc w;
    w.number = kHarnessWindow;
    w.kind = WindowKind::document;
    w.title = "Evaluation";
    w.content = {80, 80, 640, 480};
    toolboxCreateWindow(w);
    ControlDesc text;
    text.window = kHarnessWindow;
    text.control = kHarnessText;
    text.kind = ControlKind::textView;
    text.frame = {10, 10, 620, 460};
    text.binding = kBindLeft | kBindTop | kBindRight | kBindBottom;
    toolboxCreateControl(text);
    toolboxShowWindow(kHarnessWindow);
  }
  gHarnessText.append(line);
  gHarnessText.push_back('\n');
  setControlText(kHarnessWindow, kHarnessText, gHarnessText);
  toolboxFlush();
}

void doDeveloperMenu(std::int16_t item) {
  switch (item) {
    case 1: measureHPEError(harnessPrintToWindow); return;
    case 3: countMovies(harnessPrintToWindow); return;
    case 4:
      countMovies(harnessPrintToWindow);
      measureMovieEnergyAverage(harnessPrintToWindow);
      return;
    case 5:
      measureWordEnergy(harnessPrintToWindow);
      printWordHPE();
      return;
    default: return;
  }
}

void buildDeveloperMenu() {
  toolboxCreateMenu(kDeveloperMenu, "Developer");
  toolboxSetMenuItem(kDeveloperMenu, 1, "Measure HPE Consistency", 0);
  toolboxSetMenuItem(kDeveloperMenu, 2, "-", 0);
  toolboxSetMenuItem(kDeveloperMenu, 3, "Count Soundtrack Albums", 0);
  toolboxSetMenuItem(kDeveloperMenu, 4, "Soundtrack Album Energy Averages", 0);
  toolboxSetMenuItem(kDeveloperMenu, 5, "Title Word Energies", 0);
}

}  // namespace

std::int32_t MakeHierMenu(std::int16_t menuID, std::int16_t item, std::string_view text, std::int16_t submenuID) {
  toolboxSetMenuItem(menuID, item, text, 0);
  setMenuItemEnabled(menuID, item, true);
  return toolboxAttachSubmenu(menuID, item, submenuID);
}

void menusForAddRun(bool running) {
  for (std::int16_t menu : {kFileMenu, kEditMenu, kPlaylistsMenu, kPlayerMenu}) setMenuItemEnabled(menu, 0, !running);
}

void menusForPlaybackStart() {
  pauseItemForRun(true);
  setMenuItemText(kPlayerMenu, kPlayerPlayItem, "Stop Playing");
  for (std::int16_t item : {kPlayerNextItem, kPlayerBackItem, kPlayerMuteItem, kPlayerVolumeUpItem,
                            kPlayerVolumeDownItem, kPlayerLoopItem, kPlayerRevealItem})
    setMenuItemEnabled(kPlayerMenu, item, true);
}

void menusForPlaybackEnd() {
  pauseItemForRun(false);
  for (std::int16_t item : {1, 2, 8}) setMenuItemEnabled(kFileMenu, item, true);
  setMenuItemEnabled(kPlayerMenu, kPlayerMuteItem, false);
  setMenuItemEnabled(kPlayerMenu, kPlayerLoopItem, false);
  setMenuItemText(kPlayerMenu, kPlayerPlayItem, "Play");
  for (std::int16_t item :
       {kPlayerNextItem, kPlayerBackItem, kPlayerVolumeUpItem, kPlayerVolumeDownItem, kPlayerRevealItem})
    setMenuItemEnabled(kPlayerMenu, item, false);
}

void buildMenus() {
  toolboxSetMenuItem(kAppleMenu, 1, "About Lumaroll...", 0);

  toolboxCreateMenu(kFileMenu, "File");
  appendItem(kFileMenu, 1, "Add Tunes To Library... /n");
  appendItem(kFileMenu, 2, "Auto-Add Tunes From Music Folder /f");
  appendItem(kFileMenu, 4, "Flush Lumaroll Library...");
  appendItem(kFileMenu, 6, "Reveal Selected Tune In Finder /h");
  appendItem(kFileMenu, 8, "Send Current Playlist To iTunes...");
  // Last, so the other items keep their numbers: the report of the last add run.
  toolboxSetMenuItem(kFileMenu, 9, "-", 0);
  appendItem(kFileMenu, kFileNotAddedItem, "Files Not Added...");

  toolboxCreateMenu(kEditMenu, "Edit");
  toolboxSetEditMenuItem(kEditMenu, 1, "Undo", EditCommand::undo);
  toolboxSetEditMenuItem(kEditMenu, 2, "Redo", EditCommand::redo);
  toolboxSetMenuItem(kEditMenu, 3, "-", 0);
  toolboxSetEditMenuItem(kEditMenu, 4, "Cut", EditCommand::cut);
  toolboxSetEditMenuItem(kEditMenu, 5, "Copy", EditCommand::copy);
  toolboxSetEditMenuItem(kEditMenu, 6, "Paste", EditCommand::paste);
  toolboxSetEditMenuItem(kEditMenu, 7, "Delete", EditCommand::clear);
  toolboxSetEditMenuItem(kEditMenu, 8, "Select All", EditCommand::selectAll);
  appendItem(kEditMenu, 10, "Check-Mark All Tunes In List");
  appendItem(kEditMenu, 11, "Un-Check All Tunes In List");
  appendItem(kEditMenu, 13, "Clear Smart-Plays");
  appendItem(kEditMenu, 15, "Delete Tune /d");
  toolboxSetMenuItem(kEditMenu, 16, "-", 0);
  MakeHierMenu(kEditMenu, 17, "Set Genre For This Artist", kArtistGenreMenu);
  MakeHierMenu(kEditMenu, 18, "Set Genre For This Album", kAlbumGenreMenu);
  for (std::int16_t g = 1; g <= 28; ++g) {
    toolboxSetMenuItem(kArtistGenreMenu, g, kGenreGroupNames[g - 1], 0);
    toolboxSetMenuItem(kAlbumGenreMenu, g, kGenreGroupNames[g - 1], 0);
  }

  // The Linux desktop has no standard Window menu: Player follows Edit.
  toolboxCreateMenu(kPlayerMenu, "Player");
  appendItem(kPlayerMenu, 1, "Play /l");
  appendItem(kPlayerMenu, 3, "Next /k");
  appendItem(kPlayerMenu, 4, "Back /j");
  appendItem(kPlayerMenu, 6, "Mute /t");
  appendItem(kPlayerMenu, 7, "Volume Up /]");
  appendItem(kPlayerMenu, 8, "Volume Down /[");
  toolboxSetMenuItem(kPlayerMenu, 9, "-", 0);
  MakeHierMenu(kPlayerMenu, 10, "Loop", kLoopMenu);
  appendItem(kPlayerMenu, 12, "Reveal Now Playing /r");
  // Pause comes last, so the other items keep their numbers (Space pauses too, see doEvent).
  toolboxSetMenuItem(kPlayerMenu, 13, "-", 0);
  appendItem(kPlayerMenu, kPlayerPauseItem, "Pause");
  setMenuItemEnabled(kPlayerMenu, kPlayerPauseItem, false);
  for (std::int16_t i : {kPlayerNextItem, kPlayerBackItem, kPlayerMuteItem, kPlayerVolumeUpItem, kPlayerVolumeDownItem,
                         kPlayerRevealItem})
    setMenuItemEnabled(kPlayerMenu, i, false);
  appendItem(kLoopMenu, 1, "Current Tune");
  appendItem(kLoopMenu, 2, "Current Playlist");

  toolboxCreateMenu(kPlaylistsMenu, "Playlists");
  appendItem(kPlaylistsMenu, 1, "All Tunes /1");
  appendItem(kPlaylistsMenu, 2, "Last Added /2");
  appendItem(kPlaylistsMenu, 4, "More From This Artist /3");
  appendItem(kPlaylistsMenu, 5, "More From This Album /4");
  appendItem(kPlaylistsMenu, 6, "More From This Genre /5");
  appendItem(kPlaylistsMenu, 8, "More From Smart-Plays /6");
  appendItem(kPlaylistsMenu, 10, "Smart-More Like This Tune /7");
  appendItem(kPlaylistsMenu, 12, "Surprise Me /8");
  toolboxSetMenuItem(kPlaylistsMenu, 13, "-", 0);
  MakeHierMenu(kPlaylistsMenu, 14, "Energy Mix", kEnergyMixMenu);
  for (std::int16_t i = 1; i <= 9; ++i)
    appendItem(kEnergyMixMenu, i, playlistKindName(static_cast<std::int16_t>(kPlaylistFirstColour + i - 1)));
  for (std::int16_t i = 1; i <= 9; ++i) setMenuItemDiscIcon(kEnergyMixMenu, i, categoryColour(i));

  if (const char* dev = std::getenv(kDeveloperEnvVar); dev && *dev) buildDeveloperMenu();
}

void doMenu(std::int16_t menu, std::int16_t item) {
  switch (menu) {
    case kAppleMenu:
      if (item == 1) {
        if (gWin14_S == 0)
          buildAboutWin();
        else
          toolboxSelectWindow(kAboutWindow);
      }
      return;
    case kFileMenu: doFileMenu(item); return;
    case kEditMenu: doEditMenu(item); return;
    case kArtistGenreMenu:
    case kAlbumGenreMenu: {
      if (noLibraryBeep() || item < 1) return;
      const std::string genre = getMenuItemText(menu, item);
      if (menu == kArtistGenreMenu)
        doSetGenreForArtist(genre);
      else
        doSetGenreForAlbum(genre);
      return;
    }
    case kPlaylistsMenu: doPlaylistsMenu(item); return;
    case kEnergyMixMenu:
      if (item >= 1 && item <= 9) doColorButtons(item);
      return;
    case kPlayerMenu: doPlayerMenu(item); return;
    case kLoopMenu: doLoopMenu(item); return;
    case kDeveloperMenu: doDeveloperMenu(item); return;
    default: return;
  }
}
