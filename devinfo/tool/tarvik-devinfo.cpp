// tarvik-devinfo: what the device information library sees on this machine (or virtual board).
#include "Idovan.h"
#include "Platform.h"
#include "TextConvert.h"

#include <cstdio>

int main()
{
    std::printf("Machine: %s\n", tarvik::Platform::instance().reason().c_str());
    CIdovan idovan;
    wchar_t text[CIdovan::kTextBufferChars];
    std::printf("Model type:        %d\n", static_cast<int>(idovan.vDI_ModelType()));
    idovan.vDI_BIOSVersion(text);
    std::printf("BIOS version:      %s\n", tarvik::wideToUtf8(text).c_str());
    idovan.vDI_ECVersion(text);
    std::printf("\nEC version:        %s\n", tarvik::wideToUtf8(text).c_str());
    std::uint8_t major = 0, minor = 0;
    idovan.vDI_ECVersionNumber(&major, &minor);
    std::printf("EC RAM version:    %u.%u\n", major, minor);
    idovan.vDI_SystemPCBVersion(text);
    std::printf("Board version:     %s\n", tarvik::wideToUtf8(text).c_str());
    for (const wchar_t* module : {L"u-blox GNSS Receiver", L"STN1110 J1939 Interpreter", L"Sierra Wireless WWAN Modem"})
        std::printf("COM port of %-28ls %d\n", module, idovan.vDI_ModuleSerialPortNumber(module));
    return 0;
}
