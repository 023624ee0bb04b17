// The main window (window 1) with its controls, its resizing rules, the
// window-level helpers (window headers, About window) and the quit handler.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/toolbox.h"
#include "playlists/notice.h"
#include "playlists/presentation.h"

constexpr std::int32_t kMainMinWidth = 973;
constexpr std::int32_t kMainMinHeight = 500;

// Builds window 1 and every control, the list view and the display, and
// shows the window. The saved frame is moved onto the main screen when no
// part of it lies on any screen; the toolbox fits the whole window frame
// onto the screen when the window appears.
void buildMainWindow();

// The main window's frame from the preferences, kept reachable: a frame that
// lies outside every screen (a screen since removed) is placed on the main
// screen, and a size below the minimum is raised to it.
ToolboxRect mainWindowFrameOnScreen(const ToolboxRect& saved, const ToolboxRect& mainScreen,
                                    const std::vector<ToolboxRect>& screens);

// After every size change of window 1: snaps it back to the minimum size,
// redraws the display and rebuilds the summary line for the new width.
void MyWindowBoundsChangedHandler(std::int16_t window);

// Live action of the volume slider (control 17) while it is dragged.
void MyControlAction(std::int16_t window, std::int16_t control, std::int32_t value);

// Application command handler: Quit (asks during an add run) and the quit
// of a signal or of the end of the session (saves without asking). Returns 0
// when handled, kEventNotHandledErr for every other command.
std::int32_t MyCommandHandler(std::uint32_t command);

// The summary line (control 1001): playlistSummaryText and
// setPlaylistSummary of playlists/presentation.h.

// The big notice (makeBigAlertWin, closeBigAlertWin, categoryColour):
// playlists/notice.h.

// Finds an icon among the program's resources: 0, or -50 when it is missing.
std::int16_t MyGetIconRefFromFileInResources(std::string_view name);

// Header of a secondary window: the title as text control 20002 and the icon
// as control 20001 (52 x 52 when big, else 37 x 37). Nothing for an empty
// icon name; an icon that cannot be found ends the program at once.
void windowIcons(std::int16_t window, std::string_view iconName, std::string_view title, bool big);

// The About window (14); brings it to the front when it already exists.
void buildAboutWin();
// Clicks on the About window's buttons (9002..9005) and its close box.
void doAboutButton(std::int16_t control);
void closeAboutWin();
