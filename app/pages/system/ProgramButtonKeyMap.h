#pragma once

#include "KeyMap.h"

#include <string>

// What both program-button pages share: the key map they show (the tray window's when one runs, so
// that a change reaches the keys at once; else a copy of their own), the sections they write, and
// how a text is stored so that the key map reads it back as it was.
class ProgramButtonKeyMap {
public:
    // Every programmable key lives in key set 1.
    static constexpr int kKeySet = 1;
    // The longest cmd or descpt the key map reads back whole (its text reads stop there).
    static constexpr std::size_t kMaxText = 511;

    // The key-map file when it exists, else empty: a page then writes nothing.
    ProgramButtonKeyMap();

    const std::wstring& Path() const { return m_path; }
    // funid of KeyDef1-<n>, 0 when the key map has no such key.
    int Funid(int n) const;
    // FunDef<number>, null when the key map does not define it.
    const FunDef* Function(int number) const;
    const std::vector<FunDef>& Functions() const;

    // One value into the file; false (and nothing written) without a key-map file or when the
    // write fails.
    bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;
    // Rebuilds the key map from the file (the tray window's, which the keys run by).
    void Reload();

    static std::wstring KeySection(int n);
    static std::wstring FunctionSection(int number);
    // The value to write for a text: the reads trim blanks at either end and take off one pair of
    // matching quotes, so such a text goes inside double quotes, which the read takes off again.
    static std::wstring StoredValue(const std::wstring& text);
    // Why a text cannot be kept in the key map (empty when it can): a line break would become other
    // lines of the file, and a longer text would come back cut.
    static std::wstring Unstorable(const std::wstring& text);

private:
    const KeyMap& Map() const;

    std::wstring m_path;
    KeyMap m_own; // without a tray window
};
