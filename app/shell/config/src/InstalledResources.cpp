#include "InstalledResources.h"

#include <filesystem>
#include <system_error>

#ifndef TARVIK_DATA_FROM_BINDIR
#error "TARVIK_DATA_FROM_BINDIR: the installed data folder relative to the installed programs"
#endif

std::optional<std::string> InstalledResourceFolder(const std::string& programFolder, std::string_view kind)
{
    if (programFolder.empty())
        return std::nullopt;
    const std::filesystem::path folder =
        (std::filesystem::path(programFolder) / TARVIK_DATA_FROM_BINDIR / kind).lexically_normal();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return std::nullopt;
    std::string text = folder.string();
    if (text.back() != '/')
        text.push_back('/');
    return text;
}
