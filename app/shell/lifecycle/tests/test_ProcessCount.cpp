// The instance count of start-up: the program's processes among all, by whole command name.

#include "ProcessCount.h"

#include <gtest/gtest.h>

namespace {

TEST(ProcessCount, CountsTheProgramByWholeName)
{
    std::vector<std::wstring> traced;
    const ConfigTrace trace = [&](const std::wstring& line) { traced.push_back(line); };
    const std::vector<std::wstring> names = {L"systemd", L"Tarvik", L"tarvik-board", L"tarvik-trace",
                                             L"bash", L"TARVIK", L"Tarvik2", L"tarvik"};
    EXPECT_EQ(CountProgramProcesses(names, L"Tarvik", trace), 3);
    EXPECT_EQ(traced, (std::vector<std::wstring>(3, L"=====<Tarvik> found !!!")));
    EXPECT_EQ(CountProgramProcesses({}, L"Tarvik", trace), 0);
}

TEST(ProcessCount, LongProgramNamesAreComparedAsTheKernelCutsThem)
{
    // The kernel keeps 15 characters of the name.
    EXPECT_EQ(CountProgramProcesses({L"Tarvik-panel-ap"}, L"Tarvik-panel-application", {}), 1);
    EXPECT_EQ(CountProgramProcesses({L"Tarvik-panel-ap"}, L"", {}), 0);
}

} // namespace
