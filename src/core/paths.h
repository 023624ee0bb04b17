// The user's folders and the program's files in them, and the direct
// file-system calls that stand in for "mkdir", "touch" and "rm".
#pragma once

#include <string>
#include <string_view>

// The standard folders of the current user, each ending in "/", or "" when it
// cannot be located: "cusr" the home folder ($HOME), "pref" the preferences
// folder ($XDG_CONFIG_HOME, else ~/.config), "data" the folder for program
// data ($XDG_DATA_HOME, else ~/.local/share).
std::string GetSysFolderVol(std::string_view folderType);

// The library database file: <data>/Lumaroll/LumarollDatabase, unless a path
// was set (the command-line tool's --db, tests). "" when no folder is found.
std::string libraryFilePath();
void setLibraryFilePath(std::string path);  // "" returns to the default

// The preferences file: <pref>/Orvane-Lumaroll/LumarollPrefs (or the path set).
std::string prefsFilePath();
void setPrefsFilePath(std::string path);

// The Music folder, ending in "/": XDG_MUSIC_DIR from the user's
// user-dirs.dirs (as `xdg-user-dir MUSIC` reports it), else ~/Music/.
// "" when there is no home folder.
std::string musicFolderPath();

// The folder a file path lies in, ending in "/".
std::string folderOf(std::string_view filePath);
// A file:// address of a path: every byte but the unreserved ones and '/'
// is %-escaped, so the address is one line of ASCII whatever the name holds.
std::string fileURLOfPath(std::string_view path);

// Creates the folder and any missing parents; true when it exists afterwards.
bool createNewDirectory(const std::string& path);
// Creates the file empty when it does not exist; returns 0 or an error code.
int touchFile(const std::string& path);
bool fileExists(const std::string& path);
