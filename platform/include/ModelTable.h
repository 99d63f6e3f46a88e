#pragma once

#include <cstdint>
#include <string_view>

namespace tarvik {

// The board models, told apart by the first three characters of the BIOS version string. Rows are
// tried in order and the first exact, case-sensitive match wins; no match is model 0 (other).
struct ModelRow {
    wchar_t prefix[260];
    std::int32_t value;
};

inline constexpr ModelRow kModelTable[] = {
    {L"KTA", 1}, {L"KTE", 2}, {L"KTH", 3}, {L"KTM", 4},
    {L"KTR", 5}, {L"KPN", 6}, {L"KQS", 7}, {L"KZS", 8},
};

// Model value for a BIOS version string (0 when no row matches).
constexpr std::int32_t modelValueForBiosVersion(std::wstring_view biosVersion)
{
    const std::wstring_view head = biosVersion.substr(0, 3);
    for (const ModelRow& row : kModelTable) {
        if (head == std::wstring_view(row.prefix))
            return row.value;
    }
    return 0;
}

} // namespace tarvik
