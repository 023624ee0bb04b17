#include "ui/name_sheet.h"

#include "core/appstate.h"
#include "core/macroman.h"
#include "core/pstring.h"
#include "export/send.h"
#include "library/tune.h"
#include "platform/toolbox.h"
#include "player/display.h"
#include "playlists/builder.h"
#include "ui/menus.h"

namespace {

constexpr std::int32_t kSheetWidth = 442;
constexpr std::int32_t kSheetHeight = 207;

ControlDesc sheetControl(std::int16_t id, ControlKind kind, std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom, std::string text) {
  ControlDesc d;
  d.window = kSheetWindow;
  d.control = id;
  d.kind = kind;
  d.frame = {left, top, right - left, bottom - top};
  d.text = std::move(text);
  return d;
}

}  // namespace

std::string proposedPlaylistName() {
  const std::int32_t m = gCurrentMatchTune_L;
  const bool hasMatch = m >= 1 && m <= gStartTotalTunes_L;
  const Tune* match = hasMatch ? &gTunes_A[m] : nullptr;
  auto of = [&](const char* prefix, auto field) {
    return std::string(prefix) + (match ? std::string((match->*field).view()) : std::string());
  };
  switch (gCurrentPlaylist_S) {
    case kPlaylistSearch: return "Search Results: " + gSearchString$.str();
    case kPlaylistAllTunes: return "All Tunes";
    case kPlaylistLastAdded: return "Last Added Tunes";
    case kPlaylistSmartMore: return of("Tunes Like: ", &Tune::title);
    case kPlaylistArtist: return of("Artist: ", &Tune::artist);
    case kPlaylistAlbum: return of("Album: ", &Tune::album);
    case kPlaylistGenre: return of("Genre: ", &Tune::genre);
    case kPlaylistSmartPlays: return "Smart-Plays";
    default:
      if (gCurrentPlaylist_S >= kPlaylistFirstColour && gCurrentPlaylist_S <= kPlaylistLastColour)
        return playlistKindName(gCurrentPlaylist_S);
      return {};
  }
}

void buildNamePlaylistDialog() {
  for (std::int16_t menu : {kFileMenu, kPlaylistsMenu, kPlayerMenu}) setMenuItemEnabled(menu, 0, false);

  ToolboxRect main;
  WindowDesc w;
  w.number = kSheetWindow;
  w.kind = WindowKind::sheet;
  w.title = "Send Current Playlist";
  if (toolboxGetWindowContentRect(kMainWindow, main))
    w.content = {main.left + (main.width - kSheetWidth) / 2, main.top, kSheetWidth, kSheetHeight};
  else
    w.content = {0, 0, kSheetWidth, kSheetHeight};
  toolboxCreateWindow(w);

  const std::int32_t W = kSheetWidth, H = kSheetHeight;
  const std::string total = numText(gTotalPlaylistTunes_L);
  ControlDesc title = sheetControl(kSheetTitleText, ControlKind::staticText, 0, 20, W, 50,
                                   "Accept this name for your iTunes playlist or enter a new one.");
  title.fontSize = 13;
  title.bold = true;
  title.align = TextAlign::centre;
  toolboxCreateControl(title);
  ControlDesc count =
      sheetControl(kSheetTotalText, ControlKind::staticText, 20, H - 31, 170, H - 18, "Total playlist tunes:" + total);
  count.fontSize = 11;
  toolboxCreateControl(count);
  ControlDesc limitLabel = sheetControl(kSheetLimitLabel, ControlKind::staticText, 20, 103, W - 100, 120,
                                        "Limit playlist to the following number of tunes:");
  limitLabel.fontSize = 13;
  toolboxCreateControl(limitLabel);
  ControlDesc limit = sheetControl(kSheetLimitField, ControlKind::editText, W - 99, 100, W - 20, 118, total);
  limit.fontSize = 15;
  toolboxCreateControl(limit);
  ControlDesc name =
      sheetControl(kSheetNameField, ControlKind::editText, 20, 60, W - 20, 78, storedToDisplay(proposedPlaylistName()));
  name.fontSize = 15;
  toolboxCreateControl(name);
  ControlDesc progress = sheetControl(kSheetProgress, ControlKind::progressBar, 15, 140, W - 15, 170, {});
  progress.maximum = gTotalPlaylistTunes_L;
  toolboxCreateControl(progress);
  ControlDesc send = sheetControl(kSheetSendButton, ControlKind::bevelButton, W - 73, H - 35, W - 15, H - 15, "Send");
  send.returnKey = true;
  toolboxCreateControl(send);
  ControlDesc cancel =
      sheetControl(kSheetCancelButton, ControlKind::bevelButton, W - 73 - 65, H - 35, W - 15 - 65, H - 15, "Cancel");
  cancel.escapeKey = true;
  toolboxCreateControl(cancel);

  toolboxShowWindow(kSheetWindow);
  toolboxSetKeyboardFocus(kSheetWindow, kSheetNameField);
}
