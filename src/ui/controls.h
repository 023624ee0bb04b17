// The dialog handler of the program's windows: clicks on the controls of the
// main window (the colour, player and smart buttons), its sheets and the
// first-time window; the main window's close box; the notification after
// which the now-playing display is redrawn. The About window's events are
// its own (ui/dialog.h).
#pragma once

#include <cstdint>

// Controls of the main window and its sheets (the first-time window's are in
// ingest/windows.h).
constexpr std::int16_t kSmartMoreButton = 15;
constexpr std::int16_t kSmartPlaysButton = 16;
constexpr std::int16_t kSendButton = 23077;
constexpr std::int16_t kCancelButton = 23074;
constexpr std::int16_t kStopAddingButton = 23073;
constexpr std::int16_t kPlaylistNameField = 23072;
constexpr std::int16_t kPlaylistLimitField = 10005;

// eventType: kControlClicked, kWindowCloseBox, kContentRefresh (others are
// ignored); window and control name what the event is about.
void doDialog(std::int16_t eventType, std::int16_t window, std::int16_t control);

// Closes the name sheet and gives the menus it disabled back (Cancel, and the
// end of a send).
void closeNameSheet();
