#include "PortDiscovery.h"

#include "ConfigDefaults.h"
#include "PrivateProfile.h"

#include <array>
#include <vector>

namespace {

constexpr std::array<const wchar_t*, 3> kPortSections = {L"LOCATION_SENSOR", L"COMMUNICATION", L"VEHICLE_STATUS"};
constexpr int kDefaultComPortType = 1;
constexpr int kNotFound = -1;

} // namespace

void DiscoverPorts(const std::wstring& settingsFile, const SerialPortLookup& lookup, const ConfigTrace& trace)
{
    const wchar_t* file = settingsFile.c_str();
    for (const wchar_t* section : kPortSections) {
        if (static_cast<int>(GetPrivateProfileIntW(section, L"COM_PORT", 0, file)) != 0)
            continue;
        std::vector<wchar_t> text(kProfileTextChars);
        const std::uint32_t n =
            GetPrivateProfileStringW(section, L"COM_PORT_DESC", L"", text.data(), kProfileTextChars, file);
        const std::wstring descriptor(text.data(), n);
        const int found = (descriptor.empty() || !lookup) ? kNotFound : lookup(descriptor);
        const int port = found == kNotFound ? 0 : found;
        WritePrivateProfileStringW(section, L"COM_PORT", std::to_wstring(port).c_str(), file);
        const int type =
            static_cast<int>(GetPrivateProfileIntW(L"LOCATION_SENSOR", L"COM_PORT_TYPE", kDefaultComPortType, file));
        sendConfigTrace(trace, L"\nApp COM_PORT_DESC=[" + descriptor + L"] COM_PORT_TYPE=[" + std::to_wstring(type) +
                             L"] dcomport=[" + std::to_wstring(found) + L"].");
    }
}
