#pragma once

#include "ConfigTrace.h"
#include "FunDef.h"
#include "KeyDef.h"

#include <string>
#include <vector>

namespace tarvik {
class PrivateProfileDocument;
}

// The key map in memory, owned by the tray window: kFunDefs[n-1] is section FunDef<n>,
// kKeySets[s-1][k-1] is section KeyDef<s>-<k>.
struct KeyMap {
    std::vector<FunDef> kFunDefs;
    std::vector<std::vector<KeyDef>> kKeySets;

    friend bool operator==(const KeyMap&, const KeyMap&) = default;
};

// Bounds on the counts a key-map file may ask for, so that a damaged file cannot make the program
// read for hours or fill its memory. The largest layout has 18 keys in one set and 35 functions;
// the bounds leave ample room above that.
inline constexpr int kMaxFunctionSections = 256;
inline constexpr int kMaxHardButtons = 64;
inline constexpr int kMaxFnSets = 8;

// (Re)builds both tables from the key-map file. When the file does not exist (or cannot be read)
// the tables keep what they held and the result is false; otherwise they are replaced as a whole.
// A count beyond its bound is cut to it and traced.
bool LoadKeyMap(KeyMap& keyMap, const std::wstring& keyMapPath, const ConfigTrace& trace = {});

// The same from a file already read.
void LoadKeyMapFrom(KeyMap& keyMap, const tarvik::PrivateProfileDocument& file, const ConfigTrace& trace = {});
