// The player on the session bus as org.mpris.MediaPlayer2.lumaroll, so that
// the desktop's media keys, its media widget and playerctl control it.
#pragma once

// Registers the service on the session bus. Without a session bus, or when
// the name is taken, the program runs on without it and says so once on
// standard error. Returns true when the service is on the bus.
bool startMprisService();
