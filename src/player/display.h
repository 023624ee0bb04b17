// The now-playing display at the top of the main window: it names the shown
// playlist when nothing plays, and the playing playlist and tune while one
// plays.
#pragma once

#include <cstdint>
#include <string>

#include "platform/toolbox.h"

// Name of a playlist kind as the display shows it ("" for an unknown kind).
std::string playlistKindName(std::int16_t kind);

// The display's text (UTF-8), lines separated by carriage returns.
std::string nowPlayingText();

// The panel for a main window of content size W x H.
DisplayPanel nowPlayingPanel(std::int32_t width, std::int32_t height);

// Draws the display into the main window; nothing when it does not exist.
void drawDisplay();
