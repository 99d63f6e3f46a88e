#pragma once

#include "DataPaths.h"
#include "KeyMap.h"

#include <string>

// The key-map mirror: on Windows values under HKEY_CURRENT_USER\SOFTWARE\Tarvik\KeySet<i>; here a
// private-profile file standing in for the user's registry, with one section per registry key
// ("SOFTWARE\Tarvik\KeySet0", …) and values typed as a registry export writes them:
//   KeyDef<j>=dword:0000000c       UserCmd<j>=""       UserCmdDesc<j>="User Defined Command"
// The program writes it and never reads it back.

// $XDG_CONFIG_HOME/tarvik/user-registry.ini (default ~/.config/tarvik/user-registry.ini).
std::wstring UserRegistryPath(const DataPathSources& sources);

// For each key set i and key j (0-based) writes the missing values: KeyDef<j> (the key's funid),
// UserCmd<j> (empty) and UserCmdDesc<j> ("User Defined Command"). An existing UserCmd<j> or
// UserCmdDesc<j> is never changed, whatever its length or content, and neither is a KeyDef<j> that
// holds a dword; a KeyDef<j> holding anything else counts as missing and is overwritten with the
// funid. All these values go in one atomic write; the folder is created when missing. Returns false
// when the store could not be written (traced once by the private-profile engine).
bool SeedKeySetRegistry(const KeyMap& keyMap, const std::wstring& registryFile);
