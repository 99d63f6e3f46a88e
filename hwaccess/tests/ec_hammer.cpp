// Writes and reads back one EC RAM byte many times through this process's port driver, as fast as
// it can; exits 1 if a read-back ever differs. Two of these at once on one board show whether EC
// transactions of different processes interleave.
#include "CWinIOUtility.h"
#include "Sleeper.h"

#include <cstdio>
#include <cstdlib>

namespace {
class NoSleep final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned) override {}
};
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const auto address = static_cast<std::uint8_t>(std::strtoul(argv[1], nullptr, 16));
    const int rounds = std::atoi(argv[2]);
    NoSleep noSleep;
    tarvik::overrideProcessSleeper(&noSleep);
    if (!CWinIOUtility::AcquirePortAccess())
        return 3;
    int wrong = 0;
    for (int i = 0; i < rounds; ++i) {
        const auto value = static_cast<std::uint8_t>(i * 7 + address);
        CWinIOUtility::WriteECByte(address, value);
        if ((CWinIOUtility::ReadECByte(address) & 0xFF) != value)
            ++wrong;
    }
    std::printf("%d wrong of %d\n", wrong, rounds);
    return wrong == 0 ? 0 : 1;
}
