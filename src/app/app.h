// The program's spine: the state it starts from, the start-up order, the
// per-event work of the event handler and the loop's passes.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/toolbox.h"

// Sets every application global to its starting value (the preferences may
// then override the window and volume values).
void initGlobals();

// Start-up up to a running main window: movie services check, genre table,
// globals, preferences, library, current playlist, menus, main window,
// handlers. Returns false when the program must not go on (it has then
// already said why); exits through exitProgram on the movie check.
bool startLumaroll();

// The event handler: called for every event before it is dispatched.
void doEvent(ToolboxEvent& event);

// One pass of the event loop before it waits: a null event and the tasks.
void applicationPass();
// True while the loop must pass at least every 2 ticks (a request flag is
// raised, a task runs, or a tune plays).
bool applicationNeedsPasses();

// The search of the search field: the first committed tune whose title,
// artist, album or genre contains the text, upper-cased (0 when none).
std::int32_t findFirstSearchMatch(std::string_view storedText);
