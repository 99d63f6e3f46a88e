#pragma once

#include "DataPaths.h"

#include <cstdint>
#include <string>

// The configuration's paths for this process: given by start-up once it has resolved them, or
// resolved from the environment on first use (tests and tools that run windows without start-up).
const DataPaths& AppDataPaths();
void SetAppDataPaths(const DataPaths& paths);

// The settings file (Tarvik.INI) the pages read and write with the private-profile functions.
const wchar_t* SettingsFile();

// A text key of the settings file read into a buffer of `chars` characters (so cut at one less), as
// the pages read them.
std::wstring ReadSettingText(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                             std::uint32_t chars = 260);
int ReadSettingInt(const wchar_t* section, const wchar_t* key, int defaultValue);
