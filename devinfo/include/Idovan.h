#pragma once

#include <cstdint>
#include <string>

#define IDOVAN_EXPORT __attribute__((visibility("default")))

namespace tarvik {
enum class DeviceClass;
}

// Device information: the board model, firmware versions and the COM port of a serial module.
//
// Results: 1 = success. Text results go into a caller buffer of kTextBufferChars wide characters,
// which is filled completely: the text, then zeros. The object holds one unit of the library's
// port-access use count while it lives; only vDI_ECVersionNumber touches the EC. Diagnostic lines go
// to standard output. Call from one thread.
class IDOVAN_EXPORT CIdovan {
public:
    enum ModelType : std::int32_t {
        MODEL_OTHER = 0,
        MODEL_KTA = 1,
        MODEL_KTE = 2,
        MODEL_KTH = 3,
        MODEL_KTM = 4,
        MODEL_KTR = 5,
        MODEL_KPN = 6,
        MODEL_KQS = 7,
        MODEL_KZS = 8,
    };

    static constexpr int kTextBufferChars = 2048;
    static constexpr std::int32_t kErrorInvalidArgument = static_cast<std::int32_t>(0x80000003);

    CIdovan();
    ~CIdovan();
    CIdovan(const CIdovan&) = delete;
    CIdovan& operator=(const CIdovan&) = delete;

    // Takes the port-access unit; always true (a failed start shows only in the initialised flag).
    bool Initialize();
    // Gives the unit back if held; always true.
    bool Uninitialize();

    // The model from the first three characters of the BIOS version; never fails. Uses no object
    // state, so libraries that only need the model (Telnira) call it without making an object.
    static ModelType vDI_ModelType();
    int vDI_BIOSVersion(wchar_t* buffer);
    // Two hexadecimal digits of the major and of the minor EC firmware release, e.g. "0123".
    int vDI_ECVersion(wchar_t* buffer);
    // From the EC when initialised, else from the firmware information.
    int vDI_ECVersionNumber(std::uint8_t* major, std::uint8_t* minor);
    // SystemSKU on KQS and KZS, BaseBoardVersion on the other models.
    int vDI_SystemPCBVersion(wchar_t* buffer);
    // COM number of the named module, or -1. The WWAN modem ("Sierra Wireless WWAN Modem") is found
    // among modems by its description, any other module among ports by its friendly name.
    int vDI_ModuleSerialPortNumber(const wchar_t* deviceName);
    int getLastErrorNumber();

private:
    static int vDI_BIOSVersionString(std::wstring& out);
    bool FindDeviceComPort(tarvik::DeviceClass deviceClass, bool interfaces, const wchar_t* description,
                           std::wstring& portName);

    std::int32_t m_lastErrorNumber = 0;
    bool m_initialised = false;
};
