#include "ConfigTestSupport.h"
#include "DataPaths.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using tarvik::test::RecordedTrace;
using tarvik::test::sourcesFrom;
using tarvik::test::TempDir;

namespace {

std::wstring w(const std::string& s) { return tarvik::utf8ToWide(s); }

TEST(ResolveDataPaths, TracesEveryPathInOrder)
{
    RecordedTrace trace;
    const DataPaths p = ResolveDataPaths(sourcesFrom({{"PUBLIC", "/srv/public"},
                                                      {"WINDIR", "/win"},
                                                      {"ProgramFiles", "/opt"},
                                                      {"TEMP", "/var/tmp"}}),
                                         trace.sink());
    EXPECT_EQ(p.programFolder, L"/opt/tarvik/bin/");
    EXPECT_EQ(p.sharedDataFolder, L"/srv/public/");
    EXPECT_EQ(p.settingsFile, L"/srv/public/Tarvik.INI");
    EXPECT_EQ(p.keyMapCopyTarget, L"/srv/public/km_config.ini");
    EXPECT_EQ(p.keyMapFile, L"/srv/public/km_config.ini");
    EXPECT_EQ(trace.lines, (std::vector<std::wstring>{
                               L"StrWin=</win/>",
                               L"StrExePath=</opt/tarvik/bin/>",
                               L"StrTempPath=</srv/public/>",
                               L"StrProgramPath=</opt>",
                               L"strINIFile=</srv/public/Tarvik.INI>",
                               L"strKMINIFile=</srv/public/km_config.ini>",
                               L"StrTempPath=</var/tmp/>",
                           }));
}

TEST(ResolveDataPaths, SharedFolderFallsBackInOrder)
{
    TempDir home;
    const std::string xdg = home.file("xdg-data");
    struct Case {
        std::map<std::string, std::string> env;
        std::wstring shared;
        std::wstring keyMap;
    };
    const Case cases[] = {
        {{{"PUBLIC", "/p"}, {"ALLUSERSPROFILE", "/a"}, {"CommonProgramFiles", "/c"}}, L"/p/", L"/p/km_config.ini"},
        {{{"ALLUSERSPROFILE", "/a"}, {"CommonProgramFiles", "/c"}}, L"/a/", L"/a/km_config.ini"},
        {{{"PUBLIC", ""}, {"CommonProgramFiles", "/c/"}}, L"/c/", L"/c/km_config.ini"},
        {{{"XDG_DATA_HOME", xdg}, {"HOME", "/nowhere"}}, w(xdg) + L"/tarvik/", w(xdg) + L"/tarvik/km_config.ini"},
        {{{"XDG_DATA_HOME", "relative/ignored"}, {"HOME", home.path()}}, w(home.path()) + L"/.local/share/tarvik/",
         w(home.path()) + L"/.local/share/tarvik/km_config.ini"},
        {{{"HOME", home.path() + "/"}}, w(home.path()) + L"/.local/share/tarvik/",
         w(home.path()) + L"/.local/share/tarvik/km_config.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(tarvik::wideToUtf8(c.shared));
        const DataPaths p = ResolveDataPaths(sourcesFrom(c.env), {});
        EXPECT_EQ(p.sharedDataFolder, c.shared);
        EXPECT_EQ(p.settingsFile, c.shared + L"Tarvik.INI");
        EXPECT_EQ(p.keyMapFile, c.keyMap);
    }
    EXPECT_TRUE(fs::is_directory(xdg + "/tarvik")) << "the fallback folder is created";
    EXPECT_TRUE(fs::is_directory(home.path() + "/.local/share/tarvik"));
}

TEST(ResolveDataPaths, ProgramFolderIsTheExecutablesFolder)
{
    EXPECT_EQ(ResolveDataPaths(sourcesFrom({{"PUBLIC", "/p"}}, "/usr/lib/tarvik/Tarvik"), {}).programFolder,
              L"/usr/lib/tarvik/");
    const DataPaths real = ResolveDataPaths(ProcessDataPathSources(), {});
    EXPECT_EQ(tarvik::wideToUtf8(real.programFolder), std::string(TARVIK_TEMPLATE_DIR) + "/")
        << "this test runs from the folder the templates are put in";
    EXPECT_EQ(real.templateFolder, real.programFolder) << "in the build folder the templates lie beside the program";
}

TEST(ResolveDataPaths, InstalledTemplatesAreFoundFromTheProgramsFolder)
{
    TempDir prefix;
    fs::create_directories(prefix.path() + "/bin");
    const std::string program = prefix.path() + "/bin/Tarvik";
    // No installed folder: the templates are looked for beside the program.
    EXPECT_EQ(ResolveDataPaths(sourcesFrom({{"PUBLIC", "/p"}}, program), {}).templateFolder,
              w(prefix.path() + "/bin/"));

    fs::create_directories(prefix.path() + "/share/tarvik/templates");
    RecordedTrace trace;
    const DataPaths p = ResolveDataPaths(sourcesFrom({{"PUBLIC", "/p"}}, program), trace.sink());
    EXPECT_EQ(p.templateFolder, w(prefix.path() + "/share/tarvik/templates/"));
    EXPECT_EQ(p.programFolder, w(prefix.path() + "/bin/"));
    EXPECT_EQ(trace.lines.at(1), L"StrExePath=<" + w(prefix.path()) + L"/bin/>") << "the trace names the program's folder";
}

TEST(KeyMapPath, DirectoryRule)
{
    struct Case {
        std::wstring publicValue;
        std::wstring keyMap;
    };
    const Case cases[] = {
        {L"/home/Public", L"/home/Public/km_config.ini"},
        {L"/home/Public/", L"/home/Public/km_config.ini"},
        {L"C:\\Users\\Public", L"C:\\Users\\Public/km_config.ini"},
        {L"C:\\Users\\Public\\", L"C:\\Users\\Public/km_config.ini"},
        {L"/home/Public/.hidden", L"/home/Public/km_config.ini"},
        {L"/srv/tarvik.d", L"/srv/tarvik.d/km_config.ini"},
        {L"Public", L"/km_config.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(tarvik::wideToUtf8(c.publicValue));
        EXPECT_EQ(KeyMapPath(c.publicValue, L"/shared/"), c.keyMap);
    }
    EXPECT_EQ(KeyMapPath(std::nullopt, L"/shared/"), L"/shared/km_config.ini");
}

} // namespace
