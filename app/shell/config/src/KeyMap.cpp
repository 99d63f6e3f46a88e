#include "KeyMap.h"

#include "CPrivProfile.h"
#include "ConfigDefaults.h"
#include "HexText.h"
#include "InnerCmd.h"
#include "PrivateProfile.h"

namespace {

// The reads of Ostrel::CPrivProfile and of the text reads, on one copy of the file, so that a
// load sees one version of it however many values it takes.
class KeyMapReader {
public:
    explicit KeyMapReader(const tarvik::PrivateProfileDocument& file) : file_(file) {}

    std::wstring text(const std::wstring& section, const wchar_t* key) const
    {
        return file_.readString(section, key, L"", kProfileTextChars);
    }
    int integer(const std::wstring& section, const wchar_t* key, int defaultValue) const
    {
        return static_cast<int>(file_.getInt(section.c_str(), key, defaultValue));
    }
    bool boolean(const std::wstring& section, const wchar_t* key) const
    {
        return Ostrel::CPrivProfile::BoolFromFile(file_, section, key);
    }

private:
    const tarvik::PrivateProfileDocument& file_;
};

int bounded(int value, int limit, const wchar_t* name, const ConfigTrace& trace)
{
    if (value <= limit)
        return value;
    sendConfigTrace(trace, L"LoadKeyMap: " + std::wstring(name) + L"=" + std::to_wstring(value) + L" is more than " +
                         std::to_wstring(limit) + L"; " + std::to_wstring(limit) + L" are read");
    return limit;
}

} // namespace

void LoadKeyMapFrom(KeyMap& keyMap, const tarvik::PrivateProfileDocument& file, const ConfigTrace& trace)
{
    const KeyMapReader read(file);
    const std::wstring config = L"HK_Config";
    KeyMap loaded;

    const int functions = bounded(read.integer(config, L"FunctionNumber", 0), kMaxFunctionSections,
                                  L"FunctionNumber", trace);
    for (int n = 1; n <= functions; ++n) {
        const std::wstring section = L"FunDef" + std::to_wstring(n);
        FunDef f;
        f.name = read.text(section, L"name");
        f.type = read.integer(section, L"type", FunDef::TYPE_NOTHING);
        if (f.type > FunDef::TYPE_RESERVED)
            f.type = FunDef::TYPE_NOTHING;
        f.descpt = read.text(section, L"descpt");
        f.cmd = read.text(section, L"cmd");
        if (f.type == FunDef::TYPE_INNER_COMMAND)
            f.innerCmd = InnerCmdFromText(f.cmd);
        if (f.type == FunDef::TYPE_SEND_KEYS)
            f.vkeys = ReadHexList(f.cmd);
        f.para = read.text(section, L"para");
        f.avl = read.boolean(section, L"avl");
        loaded.kFunDefs.push_back(std::move(f));
    }

    int keys = read.integer(config, L"HardButtons", 0);
    if (keys < 1)
        keys = 0;
    keys = bounded(keys, kMaxHardButtons, L"HardButtons", trace);
    int sets = read.integer(config, L"FnSets", 1);
    if (sets < 2)
        sets = 1;
    sets = bounded(sets, kMaxFnSets, L"FnSets", trace);

    loaded.kKeySets.assign(static_cast<std::size_t>(sets), std::vector<KeyDef>(static_cast<std::size_t>(keys)));
    for (int s = 1; s <= sets; ++s) {
        for (int k = 1; k <= keys; ++k) {
            const std::wstring section = L"KeyDef" + std::to_wstring(s) + L"-" + std::to_wstring(k);
            KeyDef& key = loaded.kKeySets[static_cast<std::size_t>(s - 1)][static_cast<std::size_t>(k - 1)];
            key.funid = read.integer(section, L"funid", 0);
            key.descpt = read.text(section, L"descpt");
            key.scancode = ParseHex(read.text(section, L"scancode"));
            key.nFnSet = read.integer(section, L"fn", 0);
        }
    }
    keyMap = std::move(loaded);
}

bool LoadKeyMap(KeyMap& keyMap, const std::wstring& keyMapPath, const ConfigTrace& trace)
{
    bool found = false;
    const tarvik::PrivateProfileDocument file = tarvik::loadPrivateProfile(keyMapPath, &found);
    if (!found)
        return false;
    LoadKeyMapFrom(keyMap, file, trace);
    return true;
}
