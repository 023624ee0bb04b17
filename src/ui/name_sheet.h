// The sheet that names a playlist before it is sent out (window 4000 on the
// main window): a name field with a proposed name, a limit field, a progress
// bar and the Send and Cancel buttons. The dialog handler calls the two
// button functions.
#pragma once

#include <cstdint>
#include <string>

// Control numbers of the sheet.
constexpr std::int16_t kSheetTitleText = 10002;
constexpr std::int16_t kSheetTotalText = 10003;
constexpr std::int16_t kSheetLimitLabel = 10004;
constexpr std::int16_t kSheetLimitField = 10005;
constexpr std::int16_t kSheetNameField = 23072;
constexpr std::int16_t kSheetProgress = 23080;
constexpr std::int16_t kSheetSendButton = 23077;
constexpr std::int16_t kSheetCancelButton = 23074;

// The name proposed for the current playlist (stored bytes), by its kind.
std::string proposedPlaylistName();

// Disables File, Playlists and Player, builds the sheet, shows it and gives
// the name field the keyboard focus.
void buildNamePlaylistDialog();

// The sheet's "Send" and "Cancel" buttons are handled by doDialog
// (ui/controls.h), like every other control click.
