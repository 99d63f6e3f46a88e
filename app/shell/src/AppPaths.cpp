#include "AppPaths.h"

#include "PrivateProfile.h"
#include "Trace.h"

#include <mutex>
#include <optional>
#include <vector>

namespace {

std::mutex g_mutex;
std::optional<DataPaths> g_paths;

} // namespace

const DataPaths& AppDataPaths()
{
    std::lock_guard lock(g_mutex);
    if (!g_paths)
        g_paths = ResolveDataPaths(ProcessDataPathSources(), [](const std::wstring& line) {
            TraceDebug(L"%s", line.c_str());
        });
    return *g_paths;
}

void SetAppDataPaths(const DataPaths& paths)
{
    std::lock_guard lock(g_mutex);
    g_paths = paths;
}

const wchar_t* SettingsFile() { return AppDataPaths().settingsFile.c_str(); }

std::wstring ReadSettingText(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                             std::uint32_t chars)
{
    std::vector<wchar_t> buffer(chars ? chars : 1, L'\0');
    const std::uint32_t n =
        GetPrivateProfileStringW(section, key, defaultValue, buffer.data(), static_cast<std::uint32_t>(buffer.size()),
                                 SettingsFile());
    return std::wstring(buffer.data(), std::min<std::size_t>(n, buffer.size()));
}

int ReadSettingInt(const wchar_t* section, const wchar_t* key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, SettingsFile()));
}
