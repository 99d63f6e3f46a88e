#pragma once

#include <string>
#include <string_view>

namespace tarvik {
class PrivateProfileDocument;
}

namespace Ostrel {

// A private-profile file name bound to the reads of the key map. Each read goes to the file at
// that moment; an empty path reads nothing and gives the defaults.
class CPrivProfile {
public:
    CPrivProfile() = default;
    explicit CPrivProfile(std::wstring path) : m_path(std::move(path)) {}
    virtual ~CPrivProfile();

    void SetPath(std::wstring path) { m_path = std::move(path); }
    const std::wstring& GetPath() const { return m_path; }

    // The value as text (at most kBoolTextChars - 1 characters are read), then BoolFromText.
    // Always succeeds.
    bool ReadBool(const std::wstring& section, const std::wstring& key, bool& value) const;
    // The private-profile integer read of the key, with the default. Always succeeds.
    bool ReadInt(const std::wstring& section, const std::wstring& key, int& value, int defaultValue) const;

    // "true" or "false" in any letter case; otherwise a decimal integer, of which only 1 is true.
    static bool BoolFromText(std::wstring_view text);
    // ReadBool's read on a file already in memory: the one rule for every boolean of the key map.
    static bool BoolFromFile(const tarvik::PrivateProfileDocument& file, const std::wstring& section,
                             const std::wstring& key);

    // ReadBool reads into a buffer of 8 characters, so "00000001" arrives as "0000000": a value
    // longer than seven characters is false unless its first seven say otherwise.
    static constexpr unsigned kBoolTextChars = 8;

private:
    std::wstring m_path;
};

} // namespace Ostrel
