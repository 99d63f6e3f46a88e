#include "DataPaths.h"

#include "ConfigDefaults.h"
#include "InstalledResources.h"
#include "TextConvert.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace {

std::optional<std::wstring> variable(const DataPathSources& sources, const char* name)
{
    if (!sources.environment)
        return std::nullopt;
    const std::optional<std::string> value = sources.environment(name);
    if (!value || value->empty())
        return std::nullopt;
    return tarvik::utf8ToWide(*value);
}

// A folder as the configuration shows it: with one trailing "/".
std::wstring asFolder(std::wstring folder)
{
    if (folder.empty() || folder.back() != L'/')
        folder.push_back(L'/');
    return folder;
}

std::wstring folderOfExecutable(const std::string& executablePath)
{
    const std::size_t slash = executablePath.rfind('/');
    if (slash == std::string::npos)
        return L"./";
    return tarvik::utf8ToWide(executablePath.substr(0, slash + 1));
}

// $XDG_DATA_HOME/tarvik/, or ~/.local/share/tarvik/ when XDG_DATA_HOME is unset or not absolute
// (the XDG base-directory rules ignore a relative value).
std::wstring xdgDataFolder(const DataPathSources& sources)
{
    std::optional<std::wstring> base = variable(sources, "XDG_DATA_HOME");
    if (!base || base->front() != L'/') {
        const std::optional<std::wstring> home = variable(sources, "HOME");
        base = asFolder(home.value_or(L"/")) + L".local/share";
    }
    return asFolder(*base) + L"tarvik/";
}

} // namespace

DataPathSources ProcessDataPathSources()
{
    DataPathSources sources;
    sources.environment = [](const char* name) -> std::optional<std::string> {
        if (const char* value = std::getenv(name))
            return std::string(value);
        if (std::string_view(name) == "HOME") {
            if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
                return std::string(pw->pw_dir);
        }
        return std::nullopt;
    };
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0)
        sources.executablePath.assign(exe, static_cast<std::size_t>(n));
    return sources;
}

std::wstring DirectoryOf(const std::wstring& path)
{
    const std::size_t sep = path.find_last_of(L"\\/");
    if (sep == std::wstring::npos)
        return {};
    if (sep + 1 == path.size() || path[sep + 1] == L'.')
        return path.substr(0, sep);
    return path;
}

std::wstring KeyMapPath(const std::optional<std::wstring>& publicValue, const std::wstring& sharedDataFolder)
{
    if (publicValue && !publicValue->empty())
        return DirectoryOf(*publicValue) + L"/" + kKeyMapFileName;
    return sharedDataFolder + kKeyMapFileName;
}

DataPaths ResolveDataPaths(const DataPathSources& sources, const ConfigTrace& trace)
{
    DataPaths paths;
    paths.programFolder = folderOfExecutable(sources.executablePath);
    const std::optional<std::string> installed =
        InstalledResourceFolder(tarvik::wideToUtf8(paths.programFolder), "templates");
    paths.templateFolder = installed ? tarvik::utf8ToWide(*installed) : paths.programFolder;

    const std::optional<std::wstring> publicValue = variable(sources, "PUBLIC");
    std::optional<std::wstring> shared = publicValue;
    if (!shared)
        shared = variable(sources, "ALLUSERSPROFILE");
    if (!shared)
        shared = variable(sources, "CommonProgramFiles");
    if (shared) {
        paths.sharedDataFolder = asFolder(*shared);
    } else {
        paths.sharedDataFolder = xdgDataFolder(sources);
        std::error_code ec;
        std::filesystem::create_directories(tarvik::wideToUtf8(paths.sharedDataFolder), ec);
        if (ec)
            sendConfigTrace(trace, L"ResolveDataPaths: cannot create " + paths.sharedDataFolder + L": " +
                                 tarvik::utf8ToWide(ec.message()));
    }
    paths.settingsFile = paths.sharedDataFolder + kSettingsFileName;
    paths.keyMapCopyTarget = paths.sharedDataFolder + kKeyMapFileName;
    paths.keyMapFile = KeyMapPath(publicValue, paths.sharedDataFolder);

    // Only traced: the system folder (WINDIR where a Windows layer sets it), the programs folder
    // and the temporary folder.
    const std::wstring windowsFolder = asFolder(variable(sources, "WINDIR").value_or(L"/"));
    const std::wstring programFiles = variable(sources, "ProgramFiles").value_or(L"");
    std::optional<std::wstring> temp = variable(sources, "TEMP");
    if (!temp)
        temp = variable(sources, "TMPDIR");
    const std::wstring tempFolder = asFolder(temp.value_or(L"/tmp"));

    sendConfigTrace(trace, L"StrWin=<" + windowsFolder + L">");
    sendConfigTrace(trace, L"StrExePath=<" + paths.programFolder + L">");
    sendConfigTrace(trace, L"StrTempPath=<" + paths.sharedDataFolder + L">");
    sendConfigTrace(trace, L"StrProgramPath=<" + programFiles + L">");
    sendConfigTrace(trace, L"strINIFile=<" + paths.settingsFile + L">");
    sendConfigTrace(trace, L"strKMINIFile=<" + paths.keyMapCopyTarget + L">");
    sendConfigTrace(trace, L"StrTempPath=<" + tempFolder + L">");
    return paths;
}
