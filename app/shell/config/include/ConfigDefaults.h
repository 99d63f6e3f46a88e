#pragma once

// Names and defaults of the configuration that several parts of the program share.

// File names in the shared data folder.
inline constexpr wchar_t kSettingsFileName[] = L"Tarvik.INI";
inline constexpr wchar_t kKeyMapFileName[] = L"km_config.ini";

// Text values of the settings and key-map files are read into buffers of this many characters, so
// a value is cut at one less.
inline constexpr unsigned kProfileTextChars = 512;

// VEHICLE_STATUS/MAP_URL_PREFIX when the settings file has none: the address of a public web map
// to which "<latitude>,<longitude>" is appended; the map opens on that place.
inline constexpr wchar_t kDefaultMapUrlPrefix[] = L"https://www.openstreetmap.org/search?query=";

// String resource 414: the name of a user-defined command slot.
inline constexpr wchar_t kUserDefinedCommandText[] = L"User Defined Command";
