#include "CPrivProfile.h"

#include "PrivateProfile.h"

#include <cwctype>

namespace Ostrel {

namespace {

bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

// A decimal integer as _wtoi reads it: blanks, a sign, digits up to the first other character.
long long decimalValue(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 1000000000000LL)
            break; // far from 1 already; stops the growth
    }
    return negative ? -value : value;
}

} // namespace

CPrivProfile::~CPrivProfile() = default;

bool CPrivProfile::BoolFromText(std::wstring_view text)
{
    if (equalsIgnoringCase(text, L"true"))
        return true;
    if (equalsIgnoringCase(text, L"false"))
        return false;
    return decimalValue(text) == 1;
}

bool CPrivProfile::BoolFromFile(const tarvik::PrivateProfileDocument& file, const std::wstring& section,
                                const std::wstring& key)
{
    return BoolFromText(file.readString(section, key, L"", kBoolTextChars));
}

bool CPrivProfile::ReadBool(const std::wstring& section, const std::wstring& key, bool& value) const
{
    value = BoolFromFile(tarvik::loadPrivateProfile(m_path), section, key);
    return true;
}

bool CPrivProfile::ReadInt(const std::wstring& section, const std::wstring& key, int& value, int defaultValue) const
{
    value = static_cast<int>(GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, m_path.c_str()));
    return true;
}

} // namespace Ostrel
