// CIdovan against fake firmware information and device lists.
#include "Idovan.h"
#include "../../hwaccess/tests/SimulatedEcPorts.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvik::test;
using tarvik::DeviceEntry;

namespace {

constexpr int kChars = CIdovan::kTextBufferChars;

DeviceEntry port(const std::wstring& friendlyName)
{
    DeviceEntry d;
    d.classGuid = tarvik::classGuidOf(tarvik::DeviceClass::Ports);
    d.description = L"USB Serial";
    d.friendlyName = friendlyName;
    return d;
}

DeviceEntry modem(const std::wstring& description, const std::wstring& portName)
{
    DeviceEntry d;
    d.classGuid = tarvik::classGuidOf(tarvik::DeviceClass::Modem);
    d.description = description;
    d.friendlyName = description;
    d.portName = portName;
    return d;
}

class CIdovanTest : public testing::Test {
protected:
    FakeFirmwareInfo firmware;
    FakeDeviceList devices;
    SimulatedEcPorts ports;
    RecordingSleeper sleeper;
    FirmwareOverride firmwareGuard{firmware};
    DeviceListOverride devicesGuard{devices};
    PortIoOverride portsGuard{ports};
    SleeperOverride sleeperGuard{sleeper};

    // Fills a buffer with garbage, lets fn write it, returns the text and checks the zero fill.
    template <class Fn>
    std::wstring bufferText(Fn fn)
    {
        std::vector<wchar_t> buffer(kChars, L'#');
        EXPECT_EQ(fn(buffer.data()), 1);
        const std::wstring text(buffer.data());
        EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<long>(text.size()), buffer.end(),
                                [](wchar_t c) { return c == L'\0'; }))
            << "the rest of the buffer must be zeros";
        return text;
    }
};

struct ModelCase {
    const wchar_t* bios; // nullptr: value missing
    CIdovan::ModelType expected;
};

class ModelTypeTest : public CIdovanTest, public testing::WithParamInterface<ModelCase> {};

TEST_P(ModelTypeTest, FirstThreeCharactersMatchedExactly)
{
    if (GetParam().bios)
        firmware.strings["BIOSVersion"] = GetParam().bios;
    CIdovan idovan;
    EXPECT_EQ(idovan.vDI_ModelType(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelTypeTest,
    testing::Values(ModelCase{L"KTA1.06", CIdovan::MODEL_KTA}, ModelCase{L"KTE1.00", CIdovan::MODEL_KTE},
                    ModelCase{L"KTH", CIdovan::MODEL_KTH}, ModelCase{L"KTMX2", CIdovan::MODEL_KTM},
                    ModelCase{L"KTR1.04", CIdovan::MODEL_KTR}, ModelCase{L"KPN1.02", CIdovan::MODEL_KPN},
                    ModelCase{L"KQS1.05", CIdovan::MODEL_KQS}, ModelCase{L"KZS1.01", CIdovan::MODEL_KZS},
                    ModelCase{L"KQ", CIdovan::MODEL_OTHER}, ModelCase{L"", CIdovan::MODEL_OTHER},
                    ModelCase{nullptr, CIdovan::MODEL_OTHER}, ModelCase{L"kqs1.05", CIdovan::MODEL_OTHER},
                    ModelCase{L" KQS1.05", CIdovan::MODEL_OTHER}, ModelCase{L"GEN2.17", CIdovan::MODEL_OTHER}));

TEST_F(CIdovanTest, BiosVersionFillsTheWholeBuffer)
{
    firmware.strings["BIOSVersion"] = L"KQS1.05";
    CIdovan idovan;
    EXPECT_EQ(bufferText([&](wchar_t* b) { return idovan.vDI_BIOSVersion(b); }), L"KQS1.05");

    firmware.strings.clear();
    EXPECT_EQ(bufferText([&](wchar_t* b) { return idovan.vDI_BIOSVersion(b); }), L"")
        << "a missing value still succeeds, with an empty text";
}

TEST_F(CIdovanTest, BiosVersionLongerThanTheSystemBufferIsCut)
{
    firmware.strings["BIOSVersion"] = std::wstring(5000, L'V');
    CIdovan idovan;
    EXPECT_EQ(bufferText([&](wchar_t* b) { return idovan.vDI_BIOSVersion(b); }).size(), 2047u);
}

struct EcVersionCase {
    std::optional<std::uint32_t> major;
    std::optional<std::uint32_t> minor;
    const wchar_t* text;
    const char* diagnostics;
};

class EcVersionTest : public CIdovanTest, public testing::WithParamInterface<EcVersionCase> {};

TEST_P(EcVersionTest, TwoHexDigitsEach)
{
    const EcVersionCase& c = GetParam();
    if (c.major)
        firmware.numbers["ECFirmwareMajorRelease"] = *c.major;
    if (c.minor)
        firmware.numbers["ECFirmwareMinorRelease"] = *c.minor;
    CIdovan idovan;
    testing::internal::CaptureStdout();
    EXPECT_EQ(bufferText([&](wchar_t* b) { return idovan.vDI_ECVersion(b); }), c.text);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.diagnostics);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EcVersionTest,
    testing::Values(
        EcVersionCase{1, 35, L"0123", "ECFirmware ECFirmwareMajorRelease : 0x01.ECFirmwareMinorRelease = 0x23\n"},
        EcVersionCase{0, 0, L"0000", "ECFirmware ECFirmwareMajorRelease : 0x00.ECFirmwareMinorRelease = 0x00\n"},
        EcVersionCase{2, 0x0A, L"020a", "ECFirmware ECFirmwareMajorRelease : 0x02.ECFirmwareMinorRelease = 0x0a\n"},
        EcVersionCase{std::nullopt, std::nullopt, L"0000",
                      "ECFirmware ECFirmwareMajorRelease : 0x00.ECFirmwareMinorRelease = 0x00\n"},
        // Three characters fit each field; a fourth is cut.
        EcVersionCase{0x1234, 0x5, L"12305",
                      "ECFirmware ECFirmwareMajorRelease : 0x1234.ECFirmwareMinorRelease = 0x05\n"}));

TEST_F(CIdovanTest, EcVersionNumberComesFromTheEcWhenInitialised)
{
    ports.state.ec[0xFE] = 0x04;
    ports.state.ec[0xFF] = 0x2B;
    firmware.numbers["ECFirmwareMajorRelease"] = 1;
    firmware.numbers["ECFirmwareMinorRelease"] = 35;
    CIdovan idovan;
    std::uint8_t major = 0, minor = 0;
    EXPECT_EQ(idovan.vDI_ECVersionNumber(&major, &minor), 1);
    EXPECT_EQ(major, 0x04);
    EXPECT_EQ(minor, 0x2B);
}

TEST_F(CIdovanTest, EcVersionNumberFallsBackToTheFirmwareWhenThePortDriverFailed)
{
    ports.refuseStarts = -1;
    ports.state.ec[0xFE] = 0x04;
    firmware.numbers["ECFirmwareMajorRelease"] = 0x1201; // low byte only
    firmware.numbers["ECFirmwareMinorRelease"] = 35;
    CIdovan idovan;
    EXPECT_EQ(ports.initializeCalls, 11);
    std::uint8_t major = 0, minor = 0;
    EXPECT_EQ(idovan.vDI_ECVersionNumber(&major, &minor), 1);
    EXPECT_EQ(major, 0x01);
    EXPECT_EQ(minor, 35);
    EXPECT_TRUE(std::none_of(ports.log.begin(), ports.log.end(), [](auto& a) { return a.port == 0x68; }))
        << "no EC transaction without the port driver";
}

struct PcbCase {
    const wchar_t* bios;
    const wchar_t* expected;
    const char* diagnostics;
};

class PcbVersionTest : public CIdovanTest, public testing::WithParamInterface<PcbCase> {};

TEST_P(PcbVersionTest, SkuOnKqsAndKzsBaseBoardElsewhere)
{
    firmware.strings["BIOSVersion"] = GetParam().bios;
    firmware.strings["SystemSKU"] = L"R81-PCB-V1.3";
    firmware.strings["BaseBoardVersion"] = L"V1.2";
    CIdovan idovan;
    testing::internal::CaptureStdout();
    EXPECT_EQ(bufferText([&](wchar_t* b) { return idovan.vDI_SystemPCBVersion(b); }), GetParam().expected);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().diagnostics);
}

INSTANTIATE_TEST_SUITE_P(Cases, PcbVersionTest,
                         testing::Values(PcbCase{L"KQS1.05", L"R81-PCB-V1.3", "ModelType = 7\n"},
                                         PcbCase{L"KZS1.01", L"R81-PCB-V1.3", "ModelType = 8\n"},
                                         PcbCase{L"KTM2.01", L"V1.2", "ModelType = 4\n"},
                                         PcbCase{L"XYZ", L"V1.2", "ModelType = 0\n"}));

TEST_F(CIdovanTest, PcbVersionMissingGivesAnEmptyText)
{
    firmware.strings["BIOSVersion"] = L"KTA1.00";
    CIdovan idovan;
    testing::internal::CaptureStdout();
    EXPECT_EQ(bufferText([&](wchar_t* b) { return idovan.vDI_SystemPCBVersion(b); }), L"");
    testing::internal::GetCapturedStdout();
}

struct ModemCase {
    std::vector<DeviceEntry> modems;
    int expected;
    std::string diagnostics;
};

class WwanModemPortTest : public CIdovanTest, public testing::WithParamInterface<ModemCase> {};

TEST_P(WwanModemPortTest, TwoDigitsOfThePortName)
{
    devices.modems = GetParam().modems;
    CIdovan idovan;
    testing::internal::CaptureStdout();
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"Sierra Wireless WWAN Modem"), GetParam().expected);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().diagnostics);
}

DeviceEntry noGuid(DeviceEntry d)
{
    d.classGuid = {};
    return d;
}

DeviceEntry noPort(DeviceEntry d)
{
    d.portName.reset();
    return d;
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, WwanModemPortTest,
    testing::Values(
        // COM7: the character after the digit is the terminator, which the line prints as it is.
        ModemCase{{modem(L"Sierra Wireless WWAN Modem", L"COM7")}, 7,
                  "Sierra Wireless WWAN Modem: COM7\nfirstC = 7: SecondC = \0\n"s},
        ModemCase{{modem(L"Sierra Wireless WWAN Modem", L"COM12")}, 12,
                  "Sierra Wireless WWAN Modem: COM12\nfirstC = 1: SecondC = 2\n"},
        ModemCase{{modem(L"Sierra Wireless WWAN Modem", L"COM123")}, 12,
                  "Sierra Wireless WWAN Modem: COM123\nfirstC = 1: SecondC = 2\n"},
        // The description is compared ignoring case; the first usable device wins.
        ModemCase{{noGuid(modem(L"Sierra Wireless WWAN Modem", L"COM3")),
                   noPort(modem(L"Sierra Wireless WWAN Modem", L"COM4")), modem(L"Other Modem", L"COM5"),
                   modem(L"SIERRA WIRELESS WWAN MODEM", L"COM9"), modem(L"Sierra Wireless WWAN Modem", L"COM8")},
                  9, "Sierra Wireless WWAN Modem: COM9\nfirstC = 9: SecondC = \0\n"s},
        ModemCase{{}, -1, "Sierra Wireless WWAN Modem NOT FOUND!!!!!\n"},
        ModemCase{{modem(L"Sierra Wireless WWAN Modem", L"ttyUSB0")}, -1,
                  "Sierra Wireless WWAN Modem: ttyUSB0\nfirstC = U: SecondC = S\n"}));

struct PortsCase {
    std::vector<std::wstring> friendlyNames;
    const wchar_t* name;
    int expected;
};

class ModulePortTest : public CIdovanTest, public testing::WithParamInterface<PortsCase> {};

TEST_P(ModulePortTest, DigitsAfterTheNameAndTheLastMatchDecides)
{
    for (const std::wstring& f : GetParam().friendlyNames)
        devices.ports.push_back(port(f));
    CIdovan idovan;
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModulePortTest,
    testing::Values(PortsCase{{L"u-blox GNSS Receiver (COM3)"}, L"u-blox GNSS Receiver", 3},
                    PortsCase{{L"u-blox GNSS Receiver (COM14)"}, L"u-blox GNSS Receiver", 14},
                    PortsCase{{L"u-blox GNSS Receiver (COM3)"}, L"U-BLOX GNSS Receiver", -1},
                    PortsCase{{L"GPS (COM3)", L"Modem (COM4)", L"GPS (COM6)"}, L"GPS", 6},
                    PortsCase{{L"GPS (COM6)", L"GPS (COM3)"}, L"GPS", 3},
                    PortsCase{{L"Communications Port (COM1)"}, L"GPS", -1},
                    // A name inside a longer one is still found: the digits are counted from it.
                    PortsCase{{L"My GPS (COM2)"}, L"GPS", 2},
                    // Another form than "<name> (COMn)": no meaningful number.
                    PortsCase{{L"GPS on ttyUSB0"}, L"GPS", -1}, PortsCase{{L"GPS (COMx)"}, L"GPS", -1},
                    PortsCase{{L"GPS"}, L"GPS", -1}, PortsCase{{L"GPS (COM5)", L"GPS-2"}, L"GPS", -1},
                    // Digits where the port number would stand, but not after " (COM".
                    PortsCase{{L"GPS 12345678"}, L"GPS", -1}, PortsCase{{L"GPS [COM37]"}, L"GPS", -1}));

TEST_F(CIdovanTest, PortsDeviceWithoutFriendlyNameIsSkipped)
{
    devices.ports.push_back(port(L"GPS (COM3)"));
    DeviceEntry unnamed = port(L"");
    unnamed.friendlyName.reset();
    devices.ports.push_back(unnamed);
    CIdovan idovan;
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"GPS"), 3);
}

TEST_F(CIdovanTest, DeviceListThatCannotBeMadeGivesMinusOne)
{
    devices.listFails = true;
    CIdovan idovan;
    testing::internal::CaptureStdout();
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"GPS"), -1);
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"Sierra Wireless WWAN Modem"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sierra Wireless WWAN Modem NOT FOUND!!!!!\n");
}

TEST_F(CIdovanTest, NullNameIsAnInvalidArgumentAndTheCodeStays)
{
    devices.ports.push_back(port(L"GPS (COM3)"));
    CIdovan idovan;
    EXPECT_EQ(idovan.getLastErrorNumber(), 0);
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(nullptr), -1);
    EXPECT_EQ(static_cast<std::uint32_t>(idovan.getLastErrorNumber()), 0x80000003u);
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"GPS"), 3);
    EXPECT_EQ(static_cast<std::uint32_t>(idovan.getLastErrorNumber()), 0x80000003u) << "success does not clear it";
}

TEST_F(CIdovanTest, ObjectHoldsOneUnitOfTheUseCountWhileItLives)
{
    {
        CIdovan first;
        CIdovan second;
        EXPECT_EQ(ports.initializeCalls, 1);
        second.Uninitialize();
        second.Uninitialize(); // a second release gives nothing back twice
    }
    CIdovan third;
    EXPECT_EQ(ports.initializeCalls, 2) << "all units were returned, so the driver is started again";
}

} // namespace
