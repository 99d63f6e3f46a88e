// ReadECByte through tarvik-portd against the in-process path, on the virtual board with the EC's
// real waits (five of 3 ms per read): the helper's socket round trip should not show beside them.
// Reports the median of 100 reads each way and their ratio.
#include "Board.h"
#include "CWinIOUtility.h"
#include "EcRequests.h"
#include "PortHelper.h"
#include "PortIo.h"
#include "Sleeper.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double medianMs(const std::function<void()>& read)
{
    std::vector<double> ms;
    for (int i = 0; i < 100; ++i) {
        const auto start = std::chrono::steady_clock::now();
        read();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main()
{
    char pattern[] = "/tmp/tarvik-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string socket = dir + "/portd.sock";
    if (!tarvik::board::Board::create(dir + "/board", "KTA"))
        return 1;
    setenv("TARVIK_BOARD", (dir + "/board").c_str(), 1);
    const pid_t helper = fork();
    if (helper == 0) {
        execl(TARVIK_PORTD, TARVIK_PORTD, "--socket", socket.c_str(), "--idle-exit", "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 500 && !std::filesystem::exists(socket); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    setenv("TARVIK_PORTD_SOCKET", socket.c_str(), 1);

    int status = 1;
    if (CWinIOUtility::AcquirePortAccess() && tarvik::processPortHelper() && tarvik::processPortIo().initialize()) {
        // In-process: what CWinIOUtility does without the helper, on this process's own port driver.
        const double direct = medianMs([] {
            tarvik::hwaccess::carryOut({tarvik::portd::Op::ReadEc, 0x70}, tarvik::processPortIo(),
                                       tarvik::processSleeper());
        });
        const double helped = medianMs([] { (void)CWinIOUtility::ReadECByte(0x70); });
        std::printf("ReadECByte median of 100: in-process %.3f ms, through tarvik-portd %.3f ms, ratio %.3f\n",
                    direct, helped, helped / direct);
        status = 0;
    } else {
        std::fprintf(stderr, "the helper could not be reached\n");
    }
    kill(helper, SIGTERM);
    waitpid(helper, nullptr, 0);
    std::filesystem::remove_all(dir);
    return status;
}
