// The two procedures of the add runs (src/ingest) that the player calls. They
// are declared here, in one place, so the player builds whether or not the
// add runs are linked; with them, these are their own definitions.
#pragma once

// Starts the add run of the Music folder as a cooperative task.
void startAddTunesFromMusicFolder();
// Shows the "Saving Library..." window; it stays up because the program ends
// right after saving.
void makeSavingDBTunesWindow();
