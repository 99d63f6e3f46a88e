#pragma once

#include "ConfigTrace.h"

#include <functional>
#include <optional>
#include <string>

// Where the configuration lives, computed once at start-up. Folders end in "/".
struct DataPaths {
    std::wstring programFolder;    // folder of the running executable
    std::wstring templateFolder;   // the per-model templates: installed, <prefix>/share/tarvik/templates/;
                                   // in the build folder, the program folder
    std::wstring sharedDataFolder; // $PUBLIC, $ALLUSERSPROFILE, $CommonProgramFiles, else $XDG_DATA_HOME/tarvik
    std::wstring settingsFile;     // shared data folder + "Tarvik.INI"
    std::wstring keyMapCopyTarget; // shared data folder + "km_config.ini": where the key-map template goes
    std::wstring keyMapFile;       // the key map the tray window and the program-button pages read (KeyMapPath)
};

// What ResolveDataPaths reads from the process, so that tests can give their own.
struct DataPathSources {
    // An environment variable's value (UTF-8); nullopt when not set.
    std::function<std::optional<std::string>(const char* name)> environment;
    // The running executable's path (UTF-8).
    std::string executablePath;
};

// The real environment (HOME falls back to the password database) and /proc/self/exe.
DataPathSources ProcessDataPathSources();

// Computes the paths and writes the trace lines "StrWin=<…>", "StrExePath=<…>", "StrTempPath=<…>"
// (shared data folder), "StrProgramPath=<…>", "strINIFile=<…>", "strKMINIFile=<…>" and
// "StrTempPath=<…>" (temporary folder), in this order. An empty variable counts as not set. When
// none of PUBLIC, ALLUSERSPROFILE and CommonProgramFiles is set, the shared data folder is
// $XDG_DATA_HOME/tarvik/ (default ~/.local/share/tarvik/), created when missing, and the key map is
// read from that folder too.
DataPaths ResolveDataPaths(const DataPathSources& sources, const ConfigTrace& trace);

// The key map read by the tray window and the program-button pages: the directory of PUBLIC + "/km_config.ini"
// when PUBLIC is set, else the shared data folder's km_config.ini.
std::wstring KeyMapPath(const std::optional<std::wstring>& publicValue, const std::wstring& sharedDataFolder);

// The directory of a path by the key map's rule: take the last "\" or "/"; none gives "";
// when it is the last character or the next one is a ".", everything before it; otherwise the
// whole path.
std::wstring DirectoryOf(const std::wstring& path);
