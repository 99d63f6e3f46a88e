// The start-up steps on the configuration files: the first-start template copy and the port
// discovery, with a recorded trace and a scripted port lookup.

#include "ConfigTestSupport.h"
#include "HardType.h"
#include "PortDiscovery.h"
#include "PrivateProfile.h"
#include "TemplateCopy.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;
using tarvik::test::readFile;
using tarvik::test::RecordedTrace;
using tarvik::test::TempDir;
using tarvik::test::writeFile;

namespace {

std::wstring w(const std::string& s) { return tarvik::utf8ToWide(s); }

class TemplateCopyTest : public testing::Test {
protected:
    TemplateCopyTest()
    {
        paths_.programFolder = w(program_.path()) + L"/";
        paths_.templateFolder = paths_.programFolder;
        paths_.sharedDataFolder = w(shared_.path()) + L"/";
        paths_.settingsFile = paths_.sharedDataFolder + L"Tarvik.INI";
        paths_.keyMapCopyTarget = paths_.sharedDataFolder + L"km_config.ini";
        for (const char* name : {"GX58_default.INI", "RQ63_default.INI", "RQ81_default.INI", "RQ72_default.INI",
                                 "km_config_GX58.ini", "km_config_RQ63.ini", "km_config_RQ81.ini", "km_config_RQ72.ini"})
            writeFile(program_.file(name), std::string("; ") + name + "\n[PROJECT]\nHARD_TYPE=x\n");
    }

    TempDir program_;
    TempDir shared_;
    DataPaths paths_;
    RecordedTrace trace_;
};

TEST_F(TemplateCopyTest, FirstAndSecondStart)
{
    CopyTemplates(paths_, kModelTypeRQ63, trace_.sink());
    const std::wstring program = paths_.templateFolder;
    EXPECT_EQ(trace_.lines, (std::vector<std::wstring>{
                                L"\nApp source ini file =[" + program + L"RQ63_default.INI]",
                                L"\nApp copy ini file firstly.",
                                L"\nApp kmconfig source ini file =[" + program + L"km_config_RQ63.ini]",
                                L"\nApp copy km_config ini file firstly.",
                            }));
    EXPECT_EQ(readFile(shared_.file("Tarvik.INI")), "; RQ63_default.INI\n[PROJECT]\nHARD_TYPE=x\n");
    EXPECT_EQ(readFile(shared_.file("km_config.ini")), "; km_config_RQ63.ini\n[PROJECT]\nHARD_TYPE=x\n");

    // The live files are changed; the second start must not overwrite them.
    writeFile(shared_.file("Tarvik.INI"), "[PROJECT]\nHARD_TYPE=RQ63_H\n");
    writeFile(shared_.file("km_config.ini"), "[HK_Config]\nFunctionNumber=1\n");
    trace_.lines.clear();
    CopyTemplates(paths_, kModelTypeRQ63, trace_.sink());
    EXPECT_EQ(trace_.lines, (std::vector<std::wstring>{
                                L"\nApp source ini file =[" + program + L"RQ63_default.INI]",
                                L"\nApp Tarvik.ini file is exist.",
                                L"\nApp kmconfig source ini file =[" + program + L"km_config_RQ63.ini]",
                                L"\nApp km_config.ini file is exist.",
                            }));
    EXPECT_EQ(readFile(shared_.file("Tarvik.INI")), "[PROJECT]\nHARD_TYPE=RQ63_H\n");
    EXPECT_EQ(readFile(shared_.file("km_config.ini")), "[HK_Config]\nFunctionNumber=1\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(shared_.path()), fs::directory_iterator()), 2)
        << "no temporary files left";
}

TEST_F(TemplateCopyTest, TemplatesByModel)
{
    const std::map<int, std::pair<std::wstring, std::wstring>> expected = {
        {0, {L"GX58_default.INI", L"km_config_GX58.ini"}}, {1, {L"GX58_default.INI", L"km_config_GX58.ini"}},
        {4, {L"RQ63_default.INI", L"km_config_RQ63.ini"}}, {7, {L"RQ81_default.INI", L"km_config_RQ81.ini"}},
        {8, {L"RQ72_default.INI", L"km_config_RQ72.ini"}}, {5, {L"GX58_default.INI", L"km_config_GX58.ini"}},
    };
    for (const auto& [model, names] : expected) {
        SCOPED_TRACE(model);
        EXPECT_EQ(TemplateNamesForModel(model).settings, names.first);
        EXPECT_EQ(TemplateNamesForModel(model).keyMap, names.second);
    }
}

TEST_F(TemplateCopyTest, MissingTemplateIsTracedAndLeavesNoFile)
{
    fs::remove(program_.file("RQ81_default.INI"));
    CopyTemplates(paths_, kModelTypeRQ81, trace_.sink());
    ASSERT_EQ(trace_.lines.size(), 5u);
    EXPECT_EQ(trace_.lines[1], L"\nApp Tarvik.ini file is exist.");
    EXPECT_NE(trace_.lines[2].find(L"\nApp cannot copy ["), std::wstring::npos);
    EXPECT_EQ(trace_.lines[4], L"\nApp copy km_config ini file firstly.");
    EXPECT_FALSE(fs::exists(shared_.file("Tarvik.INI")));
    wchar_t buf[16];
    GetPrivateProfileStringW(L"PROJECT", L"HARD_TYPE", L"GX58", buf, 16, paths_.settingsFile.c_str());
    EXPECT_EQ(std::wstring(buf), L"GX58") << "reads give their defaults";
}

TEST_F(TemplateCopyTest, UnwritableDataFolder)
{
    paths_.settingsFile = w(shared_.file("missing/Tarvik.INI"));
    int error = 0;
    EXPECT_EQ(CopyTemplateFile(paths_.programFolder + L"GX58_default.INI", paths_.settingsFile, &error),
              CopyOutcome::Failed);
    EXPECT_EQ(error, ENOENT);
}

class PortDiscoveryTest : public testing::Test {
protected:
    std::string settings(const std::string& body)
    {
        writeFile(file_, body);
        return file_;
    }
    int comPort(const wchar_t* section) const
    {
        return static_cast<int>(GetPrivateProfileIntW(section, L"COM_PORT", -99, w(file_).c_str()));
    }
    void discover()
    {
        DiscoverPorts(w(file_), [this](const std::wstring& descriptor) {
            asked_.push_back(descriptor);
            const auto it = ports_.find(descriptor);
            return it == ports_.end() ? -1 : it->second;
        }, trace_.sink());
    }

    TempDir dir_;
    std::string file_ = dir_.file("Tarvik.INI");
    std::map<std::wstring, int> ports_ = {{L"u-blox GNSS Receiver", 3}, {L"STN1110 J1939 Interpreter", 5}};
    std::vector<std::wstring> asked_;
    RecordedTrace trace_;
};

TEST_F(PortDiscoveryTest, LooksUpPortsThatAreZero)
{
    settings("[LOCATION_SENSOR]\nCOM_PORT=0\nCOM_PORT_DESC=u-blox GNSS Receiver\nCOM_PORT_TYPE=4\n"
             "[COMMUNICATION]\nCOM_PORT_DESC=Sierra Wireless WWAN Modem\n"
             "[VEHICLE_STATUS]\nCOM_PORT=none\nCOM_PORT_DESC=STN1110 J1939 Interpreter\n");
    discover();
    EXPECT_EQ(asked_, (std::vector<std::wstring>{L"u-blox GNSS Receiver", L"Sierra Wireless WWAN Modem",
                                                 L"STN1110 J1939 Interpreter"}));
    EXPECT_EQ(comPort(L"LOCATION_SENSOR"), 3);
    EXPECT_EQ(comPort(L"COMMUNICATION"), 0) << "not found (-1) is written as 0";
    EXPECT_EQ(comPort(L"VEHICLE_STATUS"), 5);
    EXPECT_EQ(trace_.lines, (std::vector<std::wstring>{
                                L"\nApp COM_PORT_DESC=[u-blox GNSS Receiver] COM_PORT_TYPE=[4] dcomport=[3].",
                                L"\nApp COM_PORT_DESC=[Sierra Wireless WWAN Modem] COM_PORT_TYPE=[4] dcomport=[-1].",
                                L"\nApp COM_PORT_DESC=[STN1110 J1939 Interpreter] COM_PORT_TYPE=[4] dcomport=[5].",
                            }));
}

TEST_F(PortDiscoveryTest, PortsAlreadySetAreNotLookedUpAgain)
{
    settings("[LOCATION_SENSOR]\nCOM_PORT=4\nCOM_PORT_DESC=u-blox GNSS Receiver\n"
             "[COMMUNICATION]\nCOM_PORT=-1\nCOM_PORT_DESC=Sierra Wireless WWAN Modem\n"
             "[VEHICLE_STATUS]\nCOM_PORT=2\nCOM_PORT_DESC=STN1110 J1939 Interpreter\n");
    const std::string before = readFile(file_);
    discover();
    EXPECT_TRUE(asked_.empty());
    EXPECT_TRUE(trace_.lines.empty());
    EXPECT_EQ(readFile(file_), before);
}

TEST_F(PortDiscoveryTest, EmptyDescriptorIsNotLookedUp)
{
    settings("[LOCATION_SENSOR]\nCOM_PORT=0\n[COMMUNICATION]\nCOM_PORT=1\n[VEHICLE_STATUS]\nCOM_PORT=1\n");
    ports_[L""] = 9; // a lookup of "" would match any device name
    discover();
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(comPort(L"LOCATION_SENSOR"), 0);
    EXPECT_EQ(trace_.lines,
              (std::vector<std::wstring>{L"\nApp COM_PORT_DESC=[] COM_PORT_TYPE=[1] dcomport=[-1]."}));
}

} // namespace
