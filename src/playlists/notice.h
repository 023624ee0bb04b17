// The big notice: a window (7999) over the middle of the main screen with a
// short text on a panel in a category colour. An empty colour switch and a
// search that finds nothing tell the listener so with it.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/toolbox.h"

// The colour of category 1..9 (near-white for any other index).
ToolboxRGB categoryColour(std::int32_t index);

// Shows the notice with `text` on a panel in the colour of category
// `colourIndex` (1..9; any other index near-white), faded in, and returns with
// it on screen. The caller waits and then closes it with closeBigAlertWin.
void makeBigAlertWin(std::string_view text, std::int16_t colourIndex);
void closeBigAlertWin();
