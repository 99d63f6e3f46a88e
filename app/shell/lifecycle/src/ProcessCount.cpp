#include "ProcessCount.h"

#include <cwctype>

namespace {

bool equalNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

} // namespace

int CountProgramProcesses(const std::vector<std::wstring>& commandNames, const std::wstring& program,
                          const ConfigTrace& trace)
{
    const std::wstring name = program.substr(0, kCommandNameChars);
    if (name.empty())
        return 0;
    int count = 0;
    for (const std::wstring& commandName : commandNames) {
        if (!equalNoCase(commandName, name))
            continue;
        sendConfigTrace(trace, L"=====<" + program + L"> found !!!");
        ++count;
    }
    return count;
}
