// Choosing the machine, and the Linux back ends against fake sysfs trees.
#include "Board.h"
#include "Platform.h"
#include "TestSupport.h"
#include "TextConvert.h"
#include "linux/LinuxDeviceList.h"
#include "linux/LinuxFirmwareInfo.h"
#include "linux/LinuxPortIo.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace tarvik;
using namespace tarvik::test;

namespace {

TEST(PlatformChoice, FollowsTarvikBoardThenTheFirmware)
{
    TempDir dir;
    writeFile(dir.file("bios_supported"), "KQS1.05\n");
    writeFile(dir.file("bios_other"), "1.2.3\n");
    const std::string defaultBoard = dir.file("runtime/board");

    const Platform hw = Platform::choose("hw", nullptr, dir.file("bios_other"), defaultBoard);
    EXPECT_FALSE(hw.isVirtual());

    const Platform named = Platform::choose(dir.file("named").c_str(), "/coms", dir.file("bios_supported"), defaultBoard);
    EXPECT_TRUE(named.isVirtual()) << "a named board wins over supported firmware";
    EXPECT_EQ(named.boardDir(), dir.file("named"));
    EXPECT_EQ(named.comDir(), "/coms");
    EXPECT_TRUE(board::Board::exists(dir.file("named"))) << "a named folder without a board gets one";

    const Platform real = Platform::choose(nullptr, nullptr, dir.file("bios_supported"), defaultBoard);
    EXPECT_FALSE(real.isVirtual());
    EXPECT_FALSE(board::Board::exists(defaultBoard));

    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        const Platform fallback = Platform::choose(unset, nullptr, dir.file("bios_other"), defaultBoard);
        EXPECT_TRUE(fallback.isVirtual());
        EXPECT_EQ(fallback.boardDir(), defaultBoard);
    }
    auto made = board::Board::open(defaultBoard);
    ASSERT_TRUE(made) << made.error();
    EXPECT_EQ((*made)->profile()->get("board", "Model"), "KTA") << "the default board is a GX58 machine";

    const Platform noFirmware = Platform::choose(nullptr, nullptr, dir.file("no_such_file"), defaultBoard);
    EXPECT_TRUE(noFirmware.isVirtual());
}

TEST(PlatformChoice, SupportedBiosVersions)
{
    EXPECT_TRUE(isSupportedBiosVersion("KTA1.06"));
    EXPECT_TRUE(isSupportedBiosVersion("KZS"));
    EXPECT_FALSE(isSupportedBiosVersion("kta1.06"));
    EXPECT_FALSE(isSupportedBiosVersion("KT"));
    EXPECT_FALSE(isSupportedBiosVersion(""));
}

TEST(LinuxFirmwareInfo, DmiStringsAndTheEcReleaseFromSmbios)
{
    TempDir sys;
    writeFile(sys.file("class/dmi/id/bios_version"), "KTA1.06\n");
    writeFile(sys.file("class/dmi/id/product_sku"), "GX58-KTA\n");
    std::string type0(0x18, '\0');
    type0[1] = 0x18; // structure length
    type0[0x16] = 0x02;
    type0[0x17] = 0x0A;
    writeFile(sys.file("firmware/dmi/entries/0-0/raw"), type0);

    LinuxFirmwareInfo info(sys.path());
    EXPECT_EQ(info.readString("BIOSVersion"), L"KTA1.06");
    EXPECT_EQ(info.readString("SystemSKU"), L"GX58-KTA");
    EXPECT_EQ(info.readString("BaseBoardVersion"), std::nullopt);
    EXPECT_EQ(info.readString("Nonsense"), std::nullopt);
    EXPECT_EQ(info.readNumber("ECFirmwareMajorRelease"), 2u);
    EXPECT_EQ(info.readNumber("ECFirmwareMinorRelease"), 0x0Au);
}

TEST(LinuxFirmwareInfo, EcReleaseAbsentWhenSmbiosDoesNotHaveIt)
{
    struct Case {
        const char* what;
        std::string raw;
    };
    std::string noEc(0x18, '\0');
    noEc[1] = 0x18;
    noEc[0x16] = static_cast<char>(0xFF);
    noEc[0x17] = static_cast<char>(0xFF);
    std::string old(0x14, '\0');
    old[1] = 0x14; // SMBIOS before 2.4: no EC fields
    std::string wrongType(0x18, '\0');
    wrongType[0] = 1;
    wrongType[1] = 0x18;
    for (const Case& c : {Case{"not upgradeable", noEc}, Case{"short structure", old}, Case{"not type 0", wrongType},
                          Case{"empty", ""}}) {
        SCOPED_TRACE(c.what);
        TempDir sys;
        writeFile(sys.file("firmware/dmi/entries/0-0/raw"), c.raw);
        EXPECT_EQ(LinuxFirmwareInfo(sys.path()).readNumber("ECFirmwareMajorRelease"), std::nullopt);
    }
    TempDir none;
    EXPECT_EQ(LinuxFirmwareInfo(none.path()).readNumber("ECFirmwareMinorRelease"), std::nullopt);
}

// A sysfs tty entry: class/tty/<name>/device → the device folder.
void addTty(const TempDir& sys, const std::string& name, const std::string& deviceDir)
{
    fs::create_directories(sys.file("class/tty/" + name));
    fs::create_directories(sys.file(deviceDir));
    fs::create_directory_symlink(sys.file(deviceDir), sys.file("class/tty/" + name + "/device"));
}

TEST(LinuxDeviceList, SerialPortsAndModemsWithTheirComNumbers)
{
    TempDir sys;
    TempDir coms;
    TempDir dev;
    // Two legacy UARTs, only the first present.
    addTty(sys, "ttyS0", "devices/platform/serial8250/tty/ttyS0");
    writeFile(sys.file("class/tty/ttyS0/type"), "4\n");
    addTty(sys, "ttyS1", "devices/platform/serial8250/tty/ttyS1");
    writeFile(sys.file("class/tty/ttyS1/type"), "0\n");
    // A u-blox receiver on cdc_acm and a Sierra modem function on qcserial.
    const std::string ublox = "devices/pci0/usb1/1-1";
    addTty(sys, "ttyACM0", ublox + "/1-1:1.0");
    writeFile(sys.file(ublox + "/idVendor"), "1546\n");
    writeFile(sys.file(ublox + "/manufacturer"), "u-blox AG - www.u-blox.com\n");
    writeFile(sys.file(ublox + "/product"), "u-blox GNSS receiver\n");
    fs::create_directories(sys.file("bus/usb/drivers/cdc_acm"));
    fs::create_directory_symlink(sys.file("bus/usb/drivers/cdc_acm"), sys.file(ublox + "/1-1:1.0/driver"));
    const std::string sierra = "devices/pci0/usb1/1-2";
    addTty(sys, "ttyUSB2", sierra + "/1-2:1.3/ttyUSB2");
    writeFile(sys.file(sierra + "/idVendor"), "1199\n");
    writeFile(sys.file(sierra + "/product"), "EM7455\n");
    fs::create_directories(sys.file("bus/usb-serial/drivers/qcserial"));
    fs::create_directory_symlink(sys.file("bus/usb-serial/drivers/qcserial"), sys.file(sierra + "/1-2:1.3/ttyUSB2/driver"));
    // A console without a device is never listed.
    fs::create_directories(sys.file("class/tty/tty1"));

    writeFile(dev.file("ttyACM0"), "");
    writeFile(dev.file("ttyUSB2"), "");
    fs::create_symlink(dev.file("ttyACM0"), coms.file("COM3"));
    fs::create_symlink(dev.file("ttyUSB2"), coms.file("COM7"));
    fs::create_symlink(dev.file("ttyS0"), coms.file("COMx")); // not a COM name

    LinuxDeviceList linked(sys.path(), coms.path());
    auto ports = linked.presentDevices(DeviceClass::Ports, false);
    ASSERT_TRUE(ports);
    ASSERT_EQ(ports->size(), 1u) << "with a COM folder only its links give numbers";
    EXPECT_EQ((*ports)[0].friendlyName, L"u-blox AG - www.u-blox.com u-blox GNSS receiver (COM3)");
    EXPECT_EQ((*ports)[0].portName, L"COM3");
    EXPECT_EQ((*ports)[0].classGuid, classGuidOf(DeviceClass::Ports));
    auto modems = linked.presentDevices(DeviceClass::Modem, false);
    ASSERT_TRUE(modems);
    ASSERT_EQ(modems->size(), 1u);
    EXPECT_EQ((*modems)[0].description, L"Sierra Wireless WWAN Modem");
    EXPECT_EQ((*modems)[0].portName, L"COM7");

    LinuxDeviceList plain(sys.path(), "");
    ports = plain.presentDevices(DeviceClass::Ports, false);
    ASSERT_TRUE(ports);
    ASSERT_EQ(ports->size(), 1u) << "ttyS0 is COM1; the absent ttyS1 and unnumbered USB ports are not listed";
    EXPECT_EQ((*ports)[0].friendlyName, L"Communications Port (COM1)");

    EXPECT_FALSE(LinuxDeviceList(sys.file("nowhere"), "").presentDevices(DeviceClass::Ports, false));
}

TEST(LinuxPortIo, BytesAtThePortOffsetsOfTheDevice)
{
    TempDir dir;
    writeFile(dir.file("port"), std::string(0x100, '\0'));
    LinuxPortIo ports(dir.file("port"));
    std::uint32_t value = 0xDEAD;
    EXPECT_FALSE(ports.readPort(0x68, &value)) << "no access before the driver starts";
    EXPECT_EQ(value, 0xDEADu);
    ASSERT_TRUE(ports.initialize());
    EXPECT_TRUE(ports.writePort(0x72, 0x1265));
    EXPECT_TRUE(ports.readPort(0x72, &value));
    EXPECT_EQ(value, 0x65u) << "one byte, upper bits zero";
    EXPECT_EQ(static_cast<unsigned char>(readFile(dir.file("port"))[0x72]), 0x65);

    testing::internal::CaptureStderr();
    LinuxPortIo missing(dir.file("no-port"));
    EXPECT_FALSE(missing.initialize());
    EXPECT_FALSE(missing.initialize());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "the failure is reported once: " << err;
}

TEST(RealSleeper, SleepsTheTimeAskedWithoutWholeMillisecondsMore)
{
    // The shortest of several waits: a loaded machine may wake any one of them late, but a sleeper
    // that adds whole milliseconds of its own does so every time.
    RealSleeper sleeper;
    std::vector<double> took;
    for (int i = 0; i < 11; ++i) {
        const auto start = std::chrono::steady_clock::now();
        sleeper.sleepMs(3);
        took.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(took.begin(), took.end());
    EXPECT_GE(took.front(), 3.0);
    EXPECT_LT(took.front(), 4.0);
}

TEST(TextConvert, RoundTripsAndReplacesInvalidBytes)
{
    EXPECT_EQ(utf8ToWide("Grüße €"), L"Grüße €");
    EXPECT_EQ(wideToUtf8(L"Grüße € 😀"), "Grüße € 😀");
    EXPECT_EQ(utf8ToWide("a\xff" "b"), L"a\uFFFDb");
    EXPECT_EQ(utf8ToWide("a\xe2\x82"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToWide("\xc0\xaf"), L"\uFFFD\uFFFD") << "overlong forms are refused";
}

} // namespace
