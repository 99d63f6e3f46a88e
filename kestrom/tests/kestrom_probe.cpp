// A second program using the power library on the same board, as a page opened in another run:
//   kestrom_probe brightness [PERCENT]   read or set the backlight
//   kestrom_probe sms-code [CODE]        read the SMS wake code, or initialise the store and set it
//   kestrom_probe rtc [H M S]            read or set the wake time
// Prints "name=value" for reads; exits 1 when the library fails, 2 on a wrong command line.
#include "Kestrom.h"
#include "Sleeper.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
class NoSleep final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned) override {}
};
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    NoSleep noSleep;
    tarvik::overrideProcessSleeper(&noSleep);
    CKestrom k;
    const char* what = argv[1];
    if (std::strcmp(what, "brightness") == 0 && argc == 2) {
        int percent = 0;
        if (k.vBC_BrightnessValueGet(&percent) != 1)
            return 1;
        std::printf("brightness=%d\n", percent);
        return 0;
    }
    if (std::strcmp(what, "brightness") == 0 && argc == 3)
        return k.vBC_BrightnessValueSet(std::atoi(argv[2])) == 1 ? 0 : 1;
    if (std::strcmp(what, "sms-code") == 0 && argc == 2) {
        char code[20] = {};
        if (k.vWU_WakeOnSMSStringGet(code) != 1)
            return 1;
        std::printf("sms-code=%s\n", code);
        return 0;
    }
    if (std::strcmp(what, "sms-code") == 0 && argc == 3)
        return k.vWU_WakeOnSMSStringInit() == 1 && k.vWU_WakeOnSMSStringSet(argv[2]) == 1 ? 0 : 1;
    if (std::strcmp(what, "rtc") == 0 && argc == 2) {
        unsigned char h = 0, m = 0, s = 0;
        if (k.vWU_WakeOnRTCTimerStatus(&h, &m, &s) != 1)
            return 1;
        std::printf("rtc=%02u:%02u:%02u\n", h, m, s);
        return 0;
    }
    if (std::strcmp(what, "rtc") == 0 && argc == 5) {
        const auto byte = [](const char* t) { return static_cast<unsigned char>(std::atoi(t)); };
        return k.vWU_WakeOnRTCTimer(byte(argv[2]), byte(argv[3]), byte(argv[4])) == 1 ? 0 : 1;
    }
    return 2;
}
