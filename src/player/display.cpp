#include "player/display.h"

#include <algorithm>

#include "core/appstate.h"
#include "core/macroman.h"
#include "library/tune.h"
#include "player/position.h"
#include "playlists/builder.h"

std::string playlistKindName(std::int16_t kind) {
  // The colour playlists' names: the display, the Energy Mix menu and the
  // send sheet all take them from here.
  static const char* const kColours[] = {"Midnight Blue Tunes", "Cool Blue Tunes", "Green Tunes",
                                         "Bright Green Tunes",  "Yellow Tunes",    "Orange Tunes",
                                         "Red Tunes",           "Pink Tunes",      "Purple Tunes"};
  switch (kind) {
    case 3: return "All Tunes";
    case 4: return "Last Added Tunes";
    case 5: return "Smart-Plays";
    case 6: return "Smart-More";
    case 7: return "More From Artist";
    case 8: return "Search Results: " + storedToDisplay(gSearchString$.view());
    case 9: return "More From Genre";
    case 10: return "More From Album";
    default:
      if (kind >= kPlaylistFirstColour && kind <= kPlaylistLastColour) return kColours[kind - kPlaylistFirstColour];
      return "";
  }
}

std::string nowPlayingText() {
  if (gWeArePlaying_S != 1) return "-\r" + playlistKindName(gCurrentPlaylist_S) + "\r-";
  std::string text = (gTunePaused_S == 1 ? "Paused: " : "Now Playing: ") + playlistKindName(gCurrentPlayingPL_S) + "\r";
  // The play position is kept by the player; one outside the table shows no
  // tune rather than another record's bytes.
  if (gNowPlayingItemID_L >= 1 && gNowPlayingItemID_L < kTableRecords) {
    const Tune& t = gNowPlaying_A[gNowPlayingItemID_L];
    // Each field is converted on its own: one may be UTF-8 and another Mac Roman.
    text += storedToDisplay(t.title.view()) + "\r" + storedToDisplay(t.artist.view()) + " \u2022 " +
            storedToDisplay(t.album.view());
  }
  return text;
}

DisplayPanel nowPlayingPanel(std::int32_t width, std::int32_t height) {
  (void)height;
  DisplayPanel p;
  // A window of 500 points or less leaves the panel no width.
  const double w = std::max(0, width - 500);
  const double tops[3] = {6, 3, 5};
  const double greys[3] = {0.77, 0.60, 0.86};
  const double opacities[3] = {0.95, 0.90, 1.0};
  for (int i = 0; i < 3; ++i) p.layers[i] = DisplayLayer{250, tops[i], w, 55, 5, greys[i], opacities[i]};
  p.textBox = ToolboxRect{250, 13, std::max(0, width - 500), 47};
  p.text = nowPlayingText();
  return p;
}

void drawDisplay() {
  ToolboxRect content;
  if (!toolboxGetWindowContentRect(kMainWindow, content)) return;
  toolboxSetDisplayPanel(kMainWindow, kDisplayControl, nowPlayingPanel(content.width, content.height));
  toolboxFlush();
}
