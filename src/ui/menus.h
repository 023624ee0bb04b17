// The menu bar and the command dispatcher. buildMenus() builds every menu
// once at start; every menu choice reaches doMenu(menu, item) (declared in
// ui/dialog.h), which checks the command's guard and runs it.
//
// Menus are addressed by ID and items by 1-based position; item 0 is the
// whole menu.
#pragma once

#include <cstdint>
#include <string_view>

#include "player/playback.h"  // kFileMenu, kPlayerMenu, kLoopMenu

constexpr std::int16_t kAppleMenu = 254;
constexpr std::int16_t kEditMenu = 2;
constexpr std::int16_t kPlaylistsMenu = 3;
constexpr std::int16_t kDeveloperMenu = 5;  // only when LUMAROLL_DEVELOPER is set
constexpr std::int16_t kEnergyMixMenu = 11;
constexpr std::int16_t kArtistGenreMenu = 12;
constexpr std::int16_t kAlbumGenreMenu = 13;

// Items of the menus that other parts change.
constexpr std::int16_t kPlayerPlayItem = 1;
constexpr std::int16_t kPlayerNextItem = 3;
constexpr std::int16_t kPlayerBackItem = 4;
constexpr std::int16_t kPlayerMuteItem = 6;
constexpr std::int16_t kPlayerVolumeUpItem = 7;
constexpr std::int16_t kPlayerVolumeDownItem = 8;
constexpr std::int16_t kPlayerLoopItem = 10;
constexpr std::int16_t kPlayerRevealItem = 12;
constexpr std::int16_t kFileNotAddedItem = 10;

// Sets an item's text, enables it, attaches submenu `submenuID` and creates
// that submenu empty. Returns the result of attaching (0), or -1 when the
// holding menu does not exist.
std::int32_t MakeHierMenu(std::int16_t menuID, std::int16_t item, std::string_view text, std::int16_t submenuID);

// The 28 genre group names of the two Set Genre submenus, items 1..28.
extern const std::string_view kGenreGroupNames[28];

// The menu states of the moments that change them. An add run disables
// File, Edit, Playlists and Player whole while it runs.
void menusForAddRun(bool running);
// Playback start: "Stop Playing"; Next, Back, Mute, the volume items, Loop
// and Reveal Now Playing enabled (which clears the marks of Mute and Loop).
void menusForPlaybackStart();
// Playback end: File's Add, Auto-Add and Send enabled; "Play"; Next, Back,
// Mute, the volume items, Loop and Reveal Now Playing disabled.
void menusForPlaybackEnd();

// The developer menu (ID 5) is offered when this environment variable is set.
constexpr const char* kDeveloperEnvVar = "LUMAROLL_DEVELOPER";
