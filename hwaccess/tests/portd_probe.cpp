// Runs a fixed set of CIdovan, CTelnira and CMiravel operations on the board TARVIK_BOARD names
// and prints everything a caller can see of them: results, values, error codes, diagnostic lines
// (in order, on standard output), the settling waits and the total of fixed waits, and how often
// the board's port driver was started. The helper's tests run it with and without tarvik-portd
// and compare the two outputs. On standard error it says which way the EC was reached.
#include "Board.h"
#include "Idovan.h"
#include "Miravel.h"
#include "PortHelper.h"
#include "Sleeper.h"
#include "Telnira.h"
#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

tarvik::test::RecordingSleeper sleeper;

void line(const char* what, int result, int value, int error)
{
    std::printf("%s -> %d value %d error 0x%x\n", what, result, value, static_cast<unsigned>(error));
    std::fflush(stdout);
}

template <class Lib, class Op>
void get(const char* what, Lib& lib, Op op)
{
    int value = 0;
    const int r = (lib.*op)(&value);
    line(what, r, value, lib.getLastErrorNumber());
}

template <class Lib, class Op>
void set(const char* what, Lib& lib, Op op, int arg)
{
    const int r = (lib.*op)(arg);
    line(what, r, arg, lib.getLastErrorNumber());
}

} // namespace

int main()
{
    tarvik::overrideProcessSleeper(&sleeper);
    const char* dir = std::getenv("TARVIK_BOARD");
    auto opened = tarvik::board::Board::open(dir ? dir : "");
    if (!opened) {
        std::fprintf(stderr, "no board: %s\n", opened.error().c_str());
        return 1;
    }
    std::unique_ptr<tarvik::board::Board> board = std::move(*opened);
    // Two refusals first: the libraries' start-up retries go through whichever route is used.
    board->setFault("driver-refuse", "2");

    {
        CIdovan idovan;
        CTelnira telnira;
        CMiravel miravel;
        line("CIdovan::Initialize", idovan.Initialize(), 0, idovan.getLastErrorNumber());
        line("CTelnira::Initialize", telnira.Initialize(), 0, telnira.getLastErrorNumber());
        line("CMiravel::Initialize", miravel.Initialize(), 0, miravel.getLastErrorNumber());
        CTelnira second;
        line("second CTelnira::Initialize", second.Initialize(), 0, second.getLastErrorNumber());

        std::uint8_t major = 0, minor = 0;
        const int versionResult = idovan.vDI_ECVersionNumber(&major, &minor);
        line("vDI_ECVersionNumber", versionResult, major * 256 + minor, idovan.getLastErrorNumber());
        get("vCM_WLANModuleHWStatus", telnira, &CTelnira::vCM_WLANModuleHWStatus);
        get("vCM_WLANPowerStatus", telnira, &CTelnira::vCM_WLANPowerStatus);
        set("vCM_WLANPowerOnOff", telnira, &CTelnira::vCM_WLANPowerOnOff, 0);
        get("vCM_WLANPowerStatus", telnira, &CTelnira::vCM_WLANPowerStatus);
        set("vCM_BluetoothModuleSwitch", telnira, &CTelnira::vCM_BluetoothModuleSwitch, 0);
        get("vCM_BluetoothModuleStatus", telnira, &CTelnira::vCM_BluetoothModuleStatus);
        set("vCM_WLANAntennaSwitch", telnira, &CTelnira::vCM_WLANAntennaSwitch, 1);
        get("vCM_WLANAntennaStatus", telnira, &CTelnira::vCM_WLANAntennaStatus);
        get("vCM_WWANModuleHWStatus", telnira, &CTelnira::vCM_WWANModuleHWStatus);
        set("vCM_WWANPowerOnOff", telnira, &CTelnira::vCM_WWANPowerOnOff, 1);
        get("vCM_WWANPowerStatus", telnira, &CTelnira::vCM_WWANPowerStatus);
        set("vCM_WWANSIMSlotSwitch", telnira, &CTelnira::vCM_WWANSIMSlotSwitch, 2);
        get("vCM_WWANSIMSlotStatus", telnira, &CTelnira::vCM_WWANSIMSlotStatus);
        set("vCM_WWANModuleSwitch", telnira, &CTelnira::vCM_WWANModuleSwitch, 7);
        set("vSR_GPSModuleSwitch", miravel, &CMiravel::vSR_GPSModuleSwitch, 1);
        get("vSR_GPSModuleStatus", miravel, &CMiravel::vSR_GPSModuleStatus);

        // An EC that takes commands and writes but does nothing: the switches find out by reading back.
        board->setFault("ec-ignore-commands", "");
        set("ignored vSR_GPSModuleSwitch", miravel, &CMiravel::vSR_GPSModuleSwitch, 0);
        set("ignored vCM_WWANPowerOnOff", telnira, &CTelnira::vCM_WWANPowerOnOff, 0);
        board->clearFault("ec-ignore-commands");

        // A stuck status: every poll runs out, the transactions go on.
        board->setFault("ec-status-stuck", "09");
        get("stuck vCM_WWANPowerStatus", telnira, &CTelnira::vCM_WWANPowerStatus);
        set("stuck vCM_WWANSIMSlotSwitch", telnira, &CTelnira::vCM_WWANSIMSlotSwitch, 1);
        board->clearFault("ec-status-stuck");
    }

    // Everything released; a driver that never starts leaves new objects not initialised.
    board->setFault("driver-refuse", "always");
    {
        CTelnira telnira;
        line("refused CTelnira::Initialize", telnira.Initialize(), 0, telnira.getLastErrorNumber());
        get("refused vCM_WWANPowerStatus", telnira, &CTelnira::vCM_WWANPowerStatus);
    }
    board->clearFault("driver-refuse");

    unsigned settling = 0, settlingCount = 0;
    for (unsigned w : sleeper.waits())
        if (w >= 100) {
            settling += w;
            ++settlingCount;
        }
    tarvik::PortHelperConnection* helper = tarvik::processPortHelper();
    const std::uint64_t helperWaits = helper ? helper->waitedMs() : 0;
    std::printf("settling waits: %u of %u ms\n", settlingCount, settling);
    std::printf("fixed waits: %llu ms\n", static_cast<unsigned long long>(sleeper.totalMs() + helperWaits));
    const auto& s = board->memory().state();
    std::printf("driver starts %u refusals %u\n", s.driverStarts, s.driverRefusals);
    std::printf("EC 9D %02x BF %02x CMOS 63 %02x 65 %02x\n", s.ec[0x9D], s.ec[0xBF], s.cmos[0x63], s.cmos[0x65]);
    std::fprintf(stderr, "route: %s, helper waits %llu ms\n", helper ? "helper" : "direct",
                 static_cast<unsigned long long>(helperWaits));
    return 0;
}
