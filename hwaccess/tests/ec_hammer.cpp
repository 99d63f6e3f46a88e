// Writes and reads back one EC RAM byte many times through this process's port driver, as fast as
// it can; exits 1 if a read-back ever differs. Two of these at once on one board show whether EC
// transactions of different processes interleave.
//
//   ec_hammer ADDRESS ROUNDS STARTED_FILE OTHER_STARTED_FILE
//
// It makes STARTED_FILE once hammering, and goes on past ROUNDS until OTHER_STARTED_FILE exists, so
// that two of them certainly hammer at the same time however the machine schedules them.
#include "CWinIOUtility.h"
#include "Sleeper.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
class NoSleep final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned) override {}
};
} // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    const auto address = static_cast<std::uint8_t>(std::strtoul(argv[1], nullptr, 16));
    const int rounds = std::atoi(argv[2]);
    NoSleep noSleep;
    tarvik::overrideProcessSleeper(&noSleep);
    if (!CWinIOUtility::AcquirePortAccess())
        return 3;
    const int started = ::open(argv[3], O_CREAT | O_WRONLY, 0600);
    if (started < 0)
        return 3;
    ::close(started);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int wrong = 0;
    int i = 0;
    for (;; ++i) {
        if (i >= rounds && ::access(argv[4], F_OK) == 0)
            break;
        if (i % 256 == 0 && std::chrono::steady_clock::now() > giveUp) {
            std::printf("the other hammer never started\n");
            return 4;
        }
        const auto value = static_cast<std::uint8_t>(i * 7 + address);
        CWinIOUtility::WriteECByte(address, value);
        if ((CWinIOUtility::ReadECByte(address) & 0xFF) != value)
            ++wrong;
    }
    std::printf("%d wrong of %d\n", wrong, i);
    return wrong == 0 ? 0 : 1;
}
