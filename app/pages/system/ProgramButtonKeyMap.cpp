#include "ProgramButtonKeyMap.h"

#include "AppPaths.h"
#include "DataPaths.h"
#include "PrivateProfile.h"
#include "Trace.h"
#include "TrayLink.h"

#include <QFileInfo>
#include <QString>

namespace {

void traceLine(const std::wstring& line) { TraceMessage(L"%s", line.c_str()); }

// The blanks the reads trim (TAB, LF, VT, FF, CR, space, ^Z).
bool isBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A; }

} // namespace

ProgramButtonKeyMap::ProgramButtonKeyMap()
{
    const std::wstring& path = AppDataPaths().keyMapFile;
    if (!path.empty() && QFileInfo(QString::fromStdWString(path)).isFile())
        m_path = path;
    if (!CTrayLink::Current())
        LoadKeyMap(m_own, m_path, traceLine);
}

const KeyMap& ProgramButtonKeyMap::Map() const { return m_own; }

const std::vector<FunDef>& ProgramButtonKeyMap::Functions() const
{
    if (CTrayLink* tray = CTrayLink::Current())
        return tray->kFunDefs();
    return Map().kFunDefs;
}

int ProgramButtonKeyMap::Funid(int n) const
{
    const std::vector<std::vector<KeyDef>>& sets =
        CTrayLink::Current() ? CTrayLink::Current()->kKeySets() : Map().kKeySets;
    if (sets.empty() || n < 1 || static_cast<std::size_t>(n) > sets[0].size())
        return 0;
    return sets[0][n - 1].funid;
}

const FunDef* ProgramButtonKeyMap::Function(int number) const
{
    const std::vector<FunDef>& functions = Functions();
    if (number < 1 || static_cast<std::size_t>(number) > functions.size())
        return nullptr;
    return &functions[number - 1];
}

bool ProgramButtonKeyMap::Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) const
{
    if (m_path.empty()) {
        TraceMessage(L"ProgramButton: no key-map file; [%s] %s is not written", section.c_str(), key.c_str());
        return false;
    }
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), m_path.c_str()) != 0;
}

void ProgramButtonKeyMap::Reload()
{
    if (CTrayLink* tray = CTrayLink::Current())
        tray->LoadKeyMap();
    else
        LoadKeyMap(m_own, m_path, traceLine);
}

std::wstring ProgramButtonKeyMap::KeySection(int n) { return L"KeyDef" + std::to_wstring(kKeySet) + L"-" + std::to_wstring(n); }

std::wstring ProgramButtonKeyMap::FunctionSection(int number) { return L"FunDef" + std::to_wstring(number); }

std::wstring ProgramButtonKeyMap::StoredValue(const std::wstring& text)
{
    if (text.empty())
        return text;
    const bool blankEnd = isBlank(text.front()) || isBlank(text.back());
    const bool quoted = text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front();
    return blankEnd || quoted ? L"\"" + text + L"\"" : text;
}

std::wstring ProgramButtonKeyMap::Unstorable(const std::wstring& text)
{
    if (text.find_first_of(L"\r\n") != std::wstring::npos)
        return L"A line break cannot be saved.";
    if (text.size() > kMaxText)
        return L"The text is too long to be saved (at most 511 characters).";
    return {};
}
