#include "KeySetRegistry.h"

#include "ConfigDefaults.h"
#include "PrivateProfile.h"
#include "TextConvert.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

constexpr wchar_t kKeySetKey[] = L"SOFTWARE\\Tarvik\\KeySet";
constexpr wchar_t kDwordPrefix[] = L"dword:";
constexpr std::size_t kDwordDigits = 8;

bool isDword(const std::wstring& value)
{
    const std::wstring_view v(value);
    const std::wstring_view prefix(kDwordPrefix);
    if (v.size() != prefix.size() + kDwordDigits || v.substr(0, prefix.size()) != prefix)
        return false;
    for (wchar_t c : v.substr(prefix.size())) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F')))
            return false;
    }
    return true;
}

std::wstring dword(std::int32_t value)
{
    wchar_t text[32];
    std::swprintf(text, 32, L"dword:%08x", static_cast<unsigned>(value));
    return text;
}

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

} // namespace

std::wstring UserRegistryPath(const DataPathSources& sources)
{
    auto variable = [&](const char* name) -> std::wstring {
        if (!sources.environment)
            return {};
        const auto value = sources.environment(name);
        return value ? tarvik::utf8ToWide(*value) : std::wstring();
    };
    std::wstring base = variable("XDG_CONFIG_HOME");
    if (base.empty() || base.front() != L'/') {
        std::wstring home = variable("HOME");
        if (home.empty() || home.back() != L'/')
            home.push_back(L'/');
        base = home + L".config";
    }
    if (base.back() != L'/')
        base.push_back(L'/');
    return base + L"tarvik/user-registry.ini";
}

bool SeedKeySetRegistry(const KeyMap& keyMap, const std::wstring& registryFile)
{
    const std::filesystem::path folder = std::filesystem::path(tarvik::wideToUtf8(registryFile)).parent_path();
    std::error_code ec;
    if (!folder.empty())
        std::filesystem::create_directories(folder, ec);

    return tarvik::updatePrivateProfile(registryFile, [&](tarvik::PrivateProfileDocument& store) {
        bool changed = false;
        for (std::size_t i = 0; i < keyMap.kKeySets.size(); ++i) {
            const std::wstring key = kKeySetKey + std::to_wstring(i);
            for (std::size_t j = 0; j < keyMap.kKeySets[i].size(); ++j) {
                const std::wstring index = std::to_wstring(j);
                const std::wstring keyDef = L"KeyDef" + index;
                if (!isDword(store.readString(key, keyDef, L"", kProfileTextChars)))
                    changed |= store.setValue(key, keyDef, dword(keyMap.kKeySets[i][j].funid));
                if (!store.hasValue(key, L"UserCmd" + index))
                    changed |= store.setValue(key, L"UserCmd" + index, quoted(L""));
                if (!store.hasValue(key, L"UserCmdDesc" + index))
                    changed |= store.setValue(key, L"UserCmdDesc" + index, quoted(kUserDefinedCommandText));
            }
        }
        return changed;
    }) != 0;
}
