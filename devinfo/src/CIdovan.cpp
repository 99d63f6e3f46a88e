#include "Idovan.h"

#include "CWinIOUtility.h"
#include "DeviceList.h"
#include "Diagnostic.h"
#include "EcMap.h"
#include "FirmwareInfo.h"
#include "ModelTable.h"
#include "TextConvert.h"

#include <algorithm>
#include <cwctype>

using tarvik::diagnostic;

namespace {

// Registry buffer sizes of the firmware and device properties, in wide characters (the system
// reads into byte buffers of 4096, 512 and 520 bytes).
constexpr std::size_t kFirmwareStringChars = 4096 / 2;
constexpr std::size_t kDescriptionChars = 512 / 2;
constexpr std::size_t kFriendlyNameChars = 520 / 2;
constexpr std::size_t kPortNameChars = 520 / 2;

constexpr wchar_t kWwanModemName[] = L"Sierra Wireless WWAN Modem";
constexpr std::wstring_view kComMarker = L" (COM";

// Registry status codes the private BIOS reader reports.
constexpr int kStatusSuccess = 0;
constexpr int kStatusNotFound = 2;

// A string as it fits a fixed system buffer: at most chars - 1 characters and the terminator.
std::wstring fitted(std::wstring text, std::size_t chars)
{
    if (text.size() > chars - 1)
        text.resize(chars - 1);
    return text;
}

// Copies text into the caller's buffer and zero-fills the rest of its 2048 characters.
void fillBuffer(wchar_t* buffer, const std::wstring& text)
{
    const std::size_t n = std::min<std::size_t>(text.size(), CIdovan::kTextBufferChars - 1);
    std::fill(buffer, buffer + CIdovan::kTextBufferChars, L'\0');
    std::copy_n(text.data(), n, buffer);
}

std::wstring firmwareString(const char* name)
{
    return fitted(tarvik::processFirmwareInfo().readString(name).value_or(L""), kFirmwareStringChars);
}

// A firmware number that is missing reads as 0.
std::uint32_t firmwareNumber(const char* name) { return tarvik::processFirmwareInfo().readNumber(name).value_or(0); }

// "%02x" into a buffer with room for three characters and the terminator.
std::wstring twoHexDigits(std::uint32_t value)
{
    wchar_t text[4] = {};
    std::swprintf(text, 4, L"%02x", value);
    return fitted(text, 4);
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool equalIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

wchar_t charAt(const std::wstring& s, std::size_t i) { return i < s.size() ? s[i] : L'\0'; }

} // namespace

CIdovan::CIdovan()
{
    m_initialised = false;
    Initialize();
}

CIdovan::~CIdovan()
{
    if (m_initialised) {
        m_initialised = false;
        CWinIOUtility::ReleasePortAccess();
    }
}

bool CIdovan::Initialize()
{
    m_initialised = CWinIOUtility::AcquirePortAccess();
    return true;
}

bool CIdovan::Uninitialize()
{
    if (m_initialised) {
        m_initialised = false;
        CWinIOUtility::ReleasePortAccess();
    }
    return true;
}

int CIdovan::vDI_BIOSVersionString(std::wstring& out)
{
    // Read at whatever length the firmware gives (the system is asked for the size first).
    const auto value = tarvik::processFirmwareInfo().readString("BIOSVersion");
    out = value.value_or(L"");
    return value ? kStatusSuccess : kStatusNotFound;
}

CIdovan::ModelType CIdovan::vDI_ModelType()
{
    std::wstring bios;
    vDI_BIOSVersionString(bios);
    return static_cast<ModelType>(tarvik::modelValueForBiosVersion(bios));
}

int CIdovan::vDI_BIOSVersion(wchar_t* buffer)
{
    fillBuffer(buffer, firmwareString("BIOSVersion"));
    return 1;
}

int CIdovan::vDI_ECVersion(wchar_t* buffer)
{
    const std::uint32_t major = firmwareNumber("ECFirmwareMajorRelease");
    diagnostic("ECFirmware ECFirmwareMajorRelease : 0x%02x.", major);
    std::wstring text = twoHexDigits(major);
    const std::uint32_t minor = firmwareNumber("ECFirmwareMinorRelease");
    diagnostic("ECFirmwareMinorRelease = 0x%02x\n", minor);
    text += twoHexDigits(minor);
    fillBuffer(buffer, text);
    return 1;
}

int CIdovan::vDI_ECVersionNumber(std::uint8_t* major, std::uint8_t* minor)
{
    if (m_initialised) {
        *major = static_cast<std::uint8_t>(CWinIOUtility::ReadECByte(tarvik::ecmap::EC_FW_VERSION_MAJOR) & 0xFF);
        *minor = static_cast<std::uint8_t>(CWinIOUtility::ReadECByte(tarvik::ecmap::EC_FW_VERSION_MINOR) & 0xFF);
    } else {
        *major = static_cast<std::uint8_t>(firmwareNumber("ECFirmwareMajorRelease") & 0xFF);
        *minor = static_cast<std::uint8_t>(firmwareNumber("ECFirmwareMinorRelease") & 0xFF);
    }
    return 1;
}

int CIdovan::vDI_SystemPCBVersion(wchar_t* buffer)
{
    const ModelType model = vDI_ModelType();
    diagnostic("ModelType = %d\n", static_cast<int>(model));
    const bool fromSku = model == MODEL_KQS || model == MODEL_KZS;
    fillBuffer(buffer, firmwareString(fromSku ? "SystemSKU" : "BaseBoardVersion"));
    return 1;
}

bool CIdovan::FindDeviceComPort(tarvik::DeviceClass deviceClass, bool interfaces, const wchar_t* description,
                                std::wstring& portName)
{
    const auto devices = tarvik::processDeviceList().presentDevices(deviceClass, interfaces);
    if (!devices)
        return false;
    const tarvik::ClassGuid none{};
    for (const tarvik::DeviceEntry& d : *devices) {
        if (d.classGuid == none || !d.description)
            continue;
        if (!equalIgnoringCase(fitted(*d.description, kDescriptionChars), description))
            continue;
        if (!d.portName)
            continue;
        portName = fitted(*d.portName, kPortNameChars);
        return true;
    }
    return false;
}

int CIdovan::vDI_ModuleSerialPortNumber(const wchar_t* deviceName)
{
    if (deviceName == nullptr) {
        m_lastErrorNumber = kErrorInvalidArgument;
        return -1;
    }
    const std::wstring name(deviceName);
    if (name == kWwanModemName) {
        std::wstring port;
        if (!FindDeviceComPort(tarvik::DeviceClass::Modem, false, deviceName, port)) {
            diagnostic("Sierra Wireless WWAN Modem NOT FOUND!!!!!\n");
            return -1;
        }
        diagnostic("%s: %s\n", tarvik::wideToUtf8(name).c_str(), tarvik::wideToUtf8(port).c_str());
        // "COM12": the digits are the characters at 3 and 4; a third digit is not read.
        const wchar_t c1 = charAt(port, 3);
        const wchar_t c2 = charAt(port, 4);
        diagnostic("firstC = %lc: SecondC = %lc\n", static_cast<wint_t>(c1), static_cast<wint_t>(c2));
        if (!isDigit(c1))
            return -1; // not a COM port name: no meaningful number
        if (isDigit(c2))
            return (c1 - L'0') * 10 + (c2 - L'0');
        return c1 - L'0';
    }

    const auto devices = tarvik::processDeviceList().presentDevices(tarvik::DeviceClass::Ports, false);
    if (!devices)
        return -1;
    int result = -1;
    // Every device is examined; the last one whose friendly name contains the name decides.
    for (const tarvik::DeviceEntry& d : *devices) {
        if (!d.friendlyName)
            continue;
        const std::wstring friendly = fitted(*d.friendlyName, kFriendlyNameChars);
        const std::size_t p = friendly.find(name);
        if (p == std::wstring::npos)
            continue;
        // The friendly name reads "<name> (COM<digits>)": the digits start 5 characters after it.
        // Another form would make whatever stands there a meaningless number.
        const bool comForm = friendly.compare(p + name.size(), kComMarker.size(), kComMarker) == 0;
        const wchar_t first = charAt(friendly, p + name.size() + 5);
        const wchar_t second = charAt(friendly, p + name.size() + 6);
        if (!comForm || !isDigit(first))
            result = -1;
        else if (isDigit(second))
            result = (first - L'0') * 10 + (second - L'0');
        else
            result = first - L'0';
    }
    return result;
}

int CIdovan::getLastErrorNumber() { return m_lastErrorNumber; }
