// The two ways tunes enter the library, each one add run in a cooperative
// task: "Add Tunes To Library..." (a folder the user chooses, or the folders
// given to the command-line tool) and the automatic add of the Music folder.
// Both end alike: the tunes are committed, counted by colour and saved.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/tasks.h"

// File > "Add Tunes To Library...": lets the user choose a folder, then adds
// it in a new task. Nothing happens while a run is active or when the user
// cancels. Without usable movie services the program beeps and ends.
void startAddTunes();
// The automatic add of the Music folder in a new task; nothing happens
// while a run is active, and a beep when the movie services are missing.
void startAddTunesFromMusicFolder();
// True from a start until the run's ending is over.
bool addRunActive();

// The bodies of the runs. Each folder is added in two passes: its own files,
// then everything below it, depth first.
Task addTunes(std::vector<std::string> folders);
// The two iTunes folders of the Music folder when they exist, then the Music
// folder itself. Beeps and adds nothing when there is no home folder.
Task addTunesFromMusicFolder();

// A folder argument as the library stores it: absolute, normalised, ending in
// "/", its bytes as given (a relative path stored in the library would only
// play from the folder it was added from).
std::string absoluteFolderPath(const std::string& arg);

// The folders named on the program's command line: each argument that is an
// existing folder, made absolute and ending in "/"; any other argument is
// reported on `err` and left out.
std::vector<std::string> commandLineFolders(const std::vector<std::string>& args, std::FILE* err);
// "Add Tunes To Library..." of each folder in turn, one run after another;
// each run starts once no other run is active.
Task addTunesOfFolders(std::vector<std::string> folders);
// addTunesOfFolders in a new task; nothing happens for no folders, and a
// beep when the movie services are missing.
void startAddTunesOfFolders(std::vector<std::string> folders);
