// The private-profile functions against the behaviour Windows shows (Wine's profile tests, which
// pass on Windows), and the sound behaviour added here: atomic replacement, kept lines and
// encodings, writes serialised, failures traced once.

#include "PrivateProfile.h"
#include "TextConvert.h"
#include "TestSupport.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;
using tarvik::test::readFile;
using tarvik::test::TempDir;
using tarvik::test::writeFile;

namespace {

constexpr std::uint32_t kBig = 256;

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string withLineEnds(const std::string& text, const std::string& eol)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += eol;
        else
            out.push_back(c);
    }
    return out;
}

std::string utf16le(const std::wstring& text)
{
    std::string out = "\xFF\xFE";
    for (wchar_t w : text) {
        auto put = [&](unsigned u) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        };
        const unsigned cp = static_cast<unsigned>(w);
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

// Captures the engine's own trace lines for the life of the object.
class TraceCapture {
public:
    TraceCapture()
    {
        tarvik::setPrivateProfileTrace([this](const std::wstring& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        });
    }
    ~TraceCapture() { tarvik::setPrivateProfileTrace(nullptr); }
    std::vector<std::wstring> lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> lines_;
};

class ProfileFile {
public:
    explicit ProfileFile(const TempDir& dir, const std::string& name = "test.ini")
        : path(dir.file(name)), wpath(wide(path)) {}
    std::string path;
    std::wstring wpath;

    std::string bytes() const { return readFile(path); }
    bool exists() const { return fs::exists(path); }
    int write(const wchar_t* section, const wchar_t* key, const wchar_t* value) const
    {
        return WritePrivateProfileStringW(section, key, value, wpath.c_str());
    }
    std::wstring read(const wchar_t* section, const wchar_t* key, const wchar_t* def = L"default") const
    {
        wchar_t buf[kBig];
        const std::uint32_t n = GetPrivateProfileStringW(section, key, def, buf, kBig, wpath.c_str());
        return std::wstring(buf, n);
    }
};

// ---- Reading values: GetPrivateProfileStringW -------------------------------------------------

const std::string kFileA = "[section1]\nname1=val1\nname2=\"val2\"\nname3\nname4=a\n[section2]\n";
const std::string kFileEmptyNames = "\nkey=val_no_section\n[]\nkey=val_e_section\n[s]\n=val_no_key\n[t]\n";
const std::string kFileNoEquals = "[s]\nname1=val1\nname2=\nname3\nname4=val4\n";
const std::string kFileMore = "; a comment line\n"
                              "[Project]\n"
                              "  Spaced Key  =  spaced value  \n"
                              ";hidden=yes\n"
                              "inline=value ;note\n"
                              "single='quoted'\n"
                              "inner=\"a\" b\"\n"
                              "mixed='x\"\n"
                              "dup=first\n"
                              "dup=second\n"
                              "[broken\n"
                              "afterbroken=still project\n"
                              "[ project ]\n"
                              "only_in_second=1\n"
                              "[Trail]\n"
                              "eof=yes\x1A";

struct StringCase {
    const char* what;
    const std::string* file;
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* def;
    std::uint32_t size;
    std::wstring expected; // the buffer's first characters, NULs included
    std::uint32_t ret;
};

const StringCase kStringCases[] = {
    {"plain lookup", &kFileA, L"section1", L"name1", L"default", kBig, L"val1\0"s, 4},
    {"keys ignore case", &kFileA, L"section1", L"NaMe1", L"default", kBig, L"val1\0"s, 4},
    {"sections ignore case", &kFileA, L"SECTION1", L"name1", L"default", kBig, L"val1\0"s, 4},
    {"quotes stripped", &kFileA, L"section1", L"name2", L"default", kBig, L"val2\0"s, 4},
    {"missing section", &kFileA, L"notasection", L"name1", L"default", kBig, L"default\0"s, 7},
    {"missing key", &kFileA, L"section1", L"notakey", L"default", kBig, L"default\0"s, 7},
    {"empty section name", &kFileA, L"", L"name1", L"default", kBig, L"default\0"s, 7},
    {"empty key name", &kFileA, L"section1", L"", L"default", kBig, L"default\0"s, 7},
    {"null default", &kFileA, L"section1", L"notakey", nullptr, kBig, L"\0"s, 0},
    {"empty default", &kFileA, L"section1", L"notakey", L"", kBig, L"\0"s, 0},
    {"default loses trailing blanks", &kFileA, L"section1", L"notakey", L"default  ", kBig, L"default\0"s, 7},
    {"inner blank of default kept", &kFileA, L"section1", L"notakey", L"one two  ", kBig, L"one two\0"s, 7},
    {"section names", &kFileA, nullptr, L"name1", L"default", kBig, L"section1\0section2\0\0"s, 18},
    {"key names skip a line without =", &kFileA, L"section1", nullptr, L"default", kBig,
     L"name1\0name2\0name4\0\0"s, 18},
    {"size 0 leaves the buffer", &kFileA, L"section1", L"name1", L"default", 0, L"XXXX"s, 0},
    {"cut to size - 1", &kFileA, L"section1", L"name1", L"default", 4, L"val\0"s, 3},
    {"exact fit", &kFileA, L"section1", L"name1", L"default", 5, L"val1\0"s, 4},
    {"size 1", &kFileA, L"section1", L"name4", L"default", 1, L"\0X"s, 0},
    {"section names cut", &kFileA, nullptr, L"name1", L"default", 16, L"section1\0secti\0\0"s, 14},
    {"key names cut", &kFileA, L"section1", nullptr, L"default", 16, L"name1\0name2\0na\0\0"s, 14},
    {"empty section", &kFileA, L"section2", L"DoesntExist", L"", kBig, L"\0"s, 0},
    {"line without = gives the default", &kFileA, L"section1", L"name3", L"default", kBig, L"default\0"s, 7},
    {"[] is the empty-named section", &kFileEmptyNames, L"", L"key", L"default", kBig, L"val_e_section\0"s, 13},
    {"=value is the empty-named key", &kFileEmptyNames, L"s", L"", L"default", kBig, L"val_no_key\0"s, 10},
    {"key names with empty value", &kFileNoEquals, L"s", nullptr, L"default", kBig, L"name1\0name2\0name4\0\0"s, 18},
    {"empty value is not the default", &kFileNoEquals, L"s", L"name2", L"default", kBig, L"\0"s, 0},
    {"blanks around key and value", &kFileMore, L"project", L"spaced key", L"default", kBig, L"spaced value\0"s, 12},
    {"caller's names trimmed", &kFileMore, L" Project ", L" spaced key ", L"default", kBig, L"spaced value\0"s, 12},
    {"comment is no key", &kFileMore, L"Project", L";hidden", L"default", kBig, L"default\0"s, 7},
    {"no inline comments", &kFileMore, L"Project", L"inline", L"default", kBig, L"value ;note\0"s, 11},
    {"single quotes stripped", &kFileMore, L"Project", L"single", L"default", kBig, L"quoted\0"s, 6},
    {"inner quotes kept", &kFileMore, L"Project", L"inner", L"default", kBig, L"a\" b\0"s, 4},
    {"mismatched quotes kept", &kFileMore, L"Project", L"mixed", L"default", kBig, L"'x\"\0"s, 3},
    {"first key wins", &kFileMore, L"Project", L"dup", L"default", kBig, L"first\0"s, 5},
    {"header without ] is a key line", &kFileMore, L"Project", L"afterbroken", L"default", kBig,
     L"still project\0"s, 13},
    {"first section wins", &kFileMore, L"Project", L"only_in_second", L"default", kBig, L"default\0"s, 7},
    {"^Z trimmed", &kFileMore, L"Trail", L"eof", L"default", kBig, L"yes\0"s, 3},
    {"duplicate section names listed", &kFileMore, nullptr, nullptr, nullptr, kBig,
     L"Project\0project\0Trail\0\0"s, 22},
};

class GetString : public testing::TestWithParam<std::tuple<StringCase, std::string>> {};

TEST_P(GetString, AsWindowsDoes)
{
    const auto& [c, eol] = GetParam();
    TempDir dir;
    ProfileFile f(dir);
    writeFile(f.path, withLineEnds(*c.file, eol));
    std::vector<wchar_t> buf(kBig + 8, L'X');
    const std::uint32_t ret = GetPrivateProfileStringW(c.section, c.key, c.def, buf.data(), c.size, f.wpath.c_str());
    EXPECT_EQ(ret, c.ret);
    EXPECT_EQ(std::wstring(buf.data(), c.expected.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetString,
                         testing::Combine(testing::ValuesIn(kStringCases), testing::Values("\r\n", "\r", "\n")),
                         [](const auto& info) {
                             std::string name = std::get<0>(info.param).what;
                             const std::string& eol = std::get<1>(info.param);
                             name += eol == "\r\n" ? "_crlf" : eol == "\r" ? "_cr" : "_lf";
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST(GetStringFile, MissingEmptyOrNullFileGivesTheDefault)
{
    TempDir dir;
    for (const wchar_t* file : {(const wchar_t*)nullptr, L"", L"/nonexistent/folder/x.ini"}) {
        wchar_t buf[16];
        EXPECT_EQ(GetPrivateProfileStringW(L"section1", L"name1", L"default", buf, 16, file), 7u);
        EXPECT_EQ(std::wstring(buf), L"default");
    }
}

TEST(GetStringFile, ReReadsTheFileAtEveryCall)
{
    TempDir dir;
    ProfileFile f(dir);
    writeFile(f.path, "[s]\r\nk=1\r\n");
    EXPECT_EQ(f.read(L"s", L"k"), L"1");
    writeFile(f.path, "[s]\r\nk=2\r\n");
    EXPECT_EQ(f.read(L"s", L"k"), L"2");
    fs::remove(f.path);
    EXPECT_EQ(f.read(L"s", L"k"), L"default");
}

// ---- Integers: GetPrivateProfileIntW ----------------------------------------------------------

struct IntCase {
    const char* value; // nullptr: the key is absent
    std::int32_t def;
    std::uint32_t expected;
};

const IntCase kIntCases[] = {
    {nullptr, -1, 4294967295u}, {nullptr, 1, 1},      {"-1", 5, 4294967295u},  {"1", -1, 1},
    {"+1", -1, 1},              {"4294967296", 5, 0}, {"4294967297", 5, 1},    {"-4294967297", 5, 4294967295u},
    {"42A94967297", 5, 42},     {"B4294967297", -1, 0}, {"B4294967297", 1, 0}, {"", 9, 9},
    {"\"5\"", 9, 5},            {"  7  ", 9, 7},      {"0x10", 9, 16},         {"8000", 0, 8000},
};

class GetInt : public testing::TestWithParam<IntCase> {};

TEST_P(GetInt, AsWindowsDoes)
{
    const IntCase& c = GetParam();
    TempDir dir;
    ProfileFile f(dir);
    writeFile(f.path, c.value ? "[Test]\r\nProfileInt=" + std::string(c.value) + "\r\n" : "[Test]\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(L"Test", L"ProfileInt", c.def, f.wpath.c_str()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetInt, testing::ValuesIn(kIntCases));

TEST(GetIntFile, NullNamesReadTheListsAsText)
{
    TempDir dir;
    ProfileFile f(dir);
    EXPECT_EQ(GetPrivateProfileIntW(nullptr, L"ProfileInt", 70, f.wpath.c_str()), 70u) << "no file yet";
    EXPECT_EQ(GetPrivateProfileIntW(L"Test", nullptr, 70, f.wpath.c_str()), 70u) << "no file yet";
    writeFile(f.path, "[Test]\r\nProfileInt=3\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(nullptr, nullptr, 70, f.wpath.c_str()), 0u) << "\"Test\" is no number";
}

// ---- Whole sections and section names ---------------------------------------------------------

const std::string kFileC = "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[section2]\r\n[section3]\r\n=val5\r\n";
const std::string kFileD = "[ section1 ]\r\n[section2]\r\n[section3]\r\n";

struct ListCase {
    const char* what;
    const std::string* file; // nullptr: no file
    const wchar_t* section;  // for GetPrivateProfileSectionW
    std::uint32_t size;
    std::wstring expected;
    std::uint32_t ret;
};

const ListCase kSectionCases[] = {
    {"whole section", &kFileC, L"section1", kBig, L"name1=val1\0name2=\0name3\0name4=val4\0\0"s, 35},
    {"empty section", &kFileC, L"section2", kBig, L"\0"s, 0},
    {"empty-named key", &kFileC, L"section3", kBig, L"=val5\0\0"s, 6},
    {"cut", &kFileC, L"section1", 24, L"name1=val1\0name2=\0name\0\0"s, 22},
    {"null section", &kFileC, nullptr, kBig, L"X"s, 0},
};

class GetSection : public testing::TestWithParam<ListCase> {};

TEST_P(GetSection, AsWindowsDoes)
{
    const ListCase& c = GetParam();
    TempDir dir;
    ProfileFile f(dir);
    writeFile(f.path, *c.file);
    std::vector<wchar_t> buf(kBig, L'X');
    EXPECT_EQ(GetPrivateProfileSectionW(c.section, buf.data(), c.size, f.wpath.c_str()), c.ret);
    EXPECT_EQ(std::wstring(buf.data(), c.expected.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetSection, testing::ValuesIn(kSectionCases),
                         [](const auto& info) { return std::to_string(info.index); });

const ListCase kNameCases[] = {
    {"fits", &kFileD, nullptr, 29, L"section1\0section2\0section3\0\0"s, 27},
    {"exact fit counts as cut", &kFileD, nullptr, 28, L"section1\0section2\0section3\0\0"s, 26},
    {"too small", &kFileD, nullptr, 27, L"section1\0section2\0section\0\0"s, 25},
    {"no file", nullptr, nullptr, kBig, L"\0X"s, 0},
};

class GetSectionNames : public testing::TestWithParam<ListCase> {};

TEST_P(GetSectionNames, AsWindowsDoes)
{
    const ListCase& c = GetParam();
    TempDir dir;
    ProfileFile f(dir);
    if (c.file)
        writeFile(f.path, *c.file);
    std::vector<wchar_t> buf(kBig, L'X');
    EXPECT_EQ(GetPrivateProfileSectionNamesW(buf.data(), c.size, f.wpath.c_str()), c.ret);
    EXPECT_EQ(std::wstring(buf.data(), c.expected.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetSectionNames, testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::to_string(info.index); });

// ---- Encodings --------------------------------------------------------------------------------

TEST(Encoding, Utf16WithByteOrderMarkIsReadAndWrittenBackAsUtf16)
{
    TempDir dir;
    ProfileFile f(dir);
    const std::wstring text = L"; Notizen \u00fcber \U0001F697\r\n[PROJECT]\r\nNAME=Gr\u00fc\u00dfe \U0001F697\r\n[LOG]\r\nCONTENT=x\r\n";
    writeFile(f.path, utf16le(text));
    EXPECT_EQ(f.read(L"project", L"name"), L"Gr\u00fc\u00dfe \U0001F697");

    ASSERT_EQ(f.write(L"LOG", L"CONTENT", L"APP Close! OnClose\uFF01"), 1);
    ASSERT_EQ(f.write(L"NEW", L"K", L"v"), 1);
    EXPECT_EQ(f.bytes(), utf16le(L"; Notizen \u00fcber \U0001F697\r\n[PROJECT]\r\nNAME=Gr\u00fc\u00dfe \U0001F697\r\n"
                                 L"[LOG]\r\nCONTENT=APP Close! OnClose\uFF01\r\n[NEW]\r\nK=v\r\n"));
}

TEST(Encoding, Utf8KeepsItsByteOrderMarkAndForeignBytes)
{
    TempDir dir;
    ProfileFile f(dir);
    // A Latin-1 byte (not UTF-8) on a comment line must come back unchanged.
    writeFile(f.path, "\xEF\xBB\xBF[A]\n; caf\xE9\nk=\xE2\x82\xAC\n");
    EXPECT_EQ(f.read(L"A", L"k"), L"\u20AC");
    ASSERT_EQ(f.write(L"A", L"k2", L"\u00e9"), 1);
    EXPECT_EQ(f.bytes(), "\xEF\xBB\xBF[A]\n; caf\xE9\nk=\xE2\x82\xAC\nk2=\xC3\xA9\n");
}

// ---- Writing ----------------------------------------------------------------------------------

TEST(Write, RefusesWithoutSectionOrFileName)
{
    TempDir dir;
    ProfileFile f(dir);
    EXPECT_EQ(f.write(nullptr, L"key", L"string"), 0);
    EXPECT_FALSE(f.exists());
    writeFile(f.path, "[App]\r\nkey=string\r\n");
    EXPECT_EQ(f.write(nullptr, L"key", L"other"), 0);
    EXPECT_EQ(f.bytes(), "[App]\r\nkey=string\r\n");
    EXPECT_EQ(WritePrivateProfileStringW(L"App", L"key", L"string", L""), 0);
    EXPECT_EQ(WritePrivateProfileStringW(L"App", L"key", L"string", nullptr), 0);
}

TEST(Write, EmptyValueAndNewFile)
{
    TempDir dir;
    ProfileFile f(dir);
    EXPECT_EQ(f.write(L"App", L"key", L""), 1);
    EXPECT_EQ(f.bytes(), "[App]\r\nkey=\r\n");
}

TEST(Write, PlacementFormatAndDeletion)
{
    TempDir dir;
    ProfileFile f(dir);
    ASSERT_EQ(f.write(L"App1", L"key1", L"string1"), 1);
    ASSERT_EQ(f.write(L"App1", L"key2", L"string2"), 1);
    ASSERT_EQ(f.write(L"App1", L"key3", L"string3"), 1);
    ASSERT_EQ(f.write(L"App2", L"key4", L"string4"), 1);
    ASSERT_EQ(f.write(L"App3", L"key5", L"string5"), 1);
    EXPECT_EQ(f.bytes(), "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n"
                         "[App3]\r\nkey5=string5\r\n");

    EXPECT_EQ(f.write(L"App1", L"key2", nullptr), 1);
    EXPECT_EQ(f.bytes(), "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
    EXPECT_EQ(f.write(L"App1", L"key2", nullptr), 1) << "deleting again";
    EXPECT_EQ(f.bytes(), "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");

    EXPECT_EQ(f.write(L"App1", nullptr, L"ignored"), 1);
    EXPECT_EQ(f.bytes(), "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
    EXPECT_EQ(f.write(L"app2", nullptr, nullptr), 1);
    EXPECT_EQ(f.bytes(), "[App3]\r\nkey5=string5\r\n");
    EXPECT_EQ(f.write(L"App3", L"key5", nullptr), 1);
    EXPECT_EQ(f.bytes(), "[App3]\r\n");
}

TEST(Write, NewKeyAfterTheEntriesOfItsSection)
{
    TempDir dir;
    ProfileFile f(dir);
    writeFile(f.path, "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n");
    ASSERT_EQ(f.write(L"s", L"name5", L"val5"), 1);
    wchar_t buf[64];
    EXPECT_EQ(GetPrivateProfileStringW(L"s", nullptr, L"", buf, 64, f.wpath.c_str()), 24u);
    EXPECT_EQ(std::wstring(buf, 25), L"name1\0name2\0name4\0name5\0\0"s);
}

TEST(Write, KeepsEveryOtherLineAsItWas)
{
    TempDir dir;
    ProfileFile f(dir);
    // LF line ends, comments, blanks, odd spacing, an unknown key and no line end at the end.
    const std::string before = "; Tarvik settings\n"
                               "[PROJECT]\n"
                               "HARD_TYPE = GX58\n"
                               "  UNKNOWN_KEY=keep me  \n"
                               "\n"
                               "; vehicle\n"
                               "[VEHICLE_STATUS]\n"
                               "INTERVAL=50";
    writeFile(f.path, before);
    ASSERT_EQ(f.write(L"project", L"hard_type", L"RQ81"), 1);
    ASSERT_EQ(f.write(L"PROJECT", L"WAKEUP_CODE", L"A1"), 1);
    ASSERT_EQ(f.write(L"VEHICLE_STATUS", L"BAUD_RATE", L"115200"), 1);
    EXPECT_EQ(f.bytes(), "; Tarvik settings\n"
                         "[PROJECT]\n"
                         "HARD_TYPE=RQ81\n"
                         "  UNKNOWN_KEY=keep me  \n"
                         "WAKEUP_CODE=A1\n"
                         "\n"
                         "; vehicle\n"
                         "[VEHICLE_STATUS]\n"
                         "INTERVAL=50\n"
                         "BAUD_RATE=115200\n");
}

TEST(Write, BytesBeforeTheFirstSectionSurvive)
{
    TempDir dir;
    ProfileFile f(dir);
    const std::string junk("\x01\x00\x02junk\x00", 8);
    writeFile(f.path, junk);
    ASSERT_EQ(f.write(L"section1", L"key1", L"string1"), 1);
    EXPECT_EQ(f.bytes(), junk + "\r\n[section1]\r\nkey1=string1\r\n");
}

TEST(Write, SameValueDoesNotRewriteAndLeadingBlanksGo)
{
    TempDir dir;
    ProfileFile f(dir);
    ASSERT_EQ(f.write(L"s", L"k", L"   v"), 1);
    EXPECT_EQ(f.bytes(), "[s]\r\nk=v\r\n");
    struct stat before {};
    ASSERT_EQ(stat(f.path.c_str(), &before), 0);
    ASSERT_EQ(f.write(L"s", L"K", L"v"), 1);
    struct stat after {};
    ASSERT_EQ(stat(f.path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged value must not replace the file";
}

TEST(Write, DeletingFromAMissingFileCreatesNothing)
{
    TempDir dir;
    ProfileFile f(dir);
    EXPECT_EQ(f.write(L"s", L"k", nullptr), 1);
    EXPECT_EQ(f.write(L"s", nullptr, nullptr), 1);
    EXPECT_FALSE(f.exists());
}

TEST(Write, LineBreaksAreRefused)
{
    TempDir dir;
    ProfileFile f(dir);
    TraceCapture trace;
    writeFile(f.path, "[s]\r\nk=1\r\n");
    EXPECT_EQ(f.write(L"s", L"k", L"2\r\n[PROJECT]\r\nHARD_TYPE=RQ81"), 0);
    EXPECT_EQ(f.write(L"s", L"k\n", L"2"), 0);
    EXPECT_EQ(f.write(L"s\r", L"k", L"2"), 0);
    EXPECT_EQ(f.bytes(), "[s]\r\nk=1\r\n");
    EXPECT_EQ(trace.lines().size(), 3u);
}

TEST(Write, KeepsModeAndWritesThroughALink)
{
    TempDir dir;
    ProfileFile real(dir, "real.ini");
    writeFile(real.path, "[s]\r\nk=1\r\n");
    ASSERT_EQ(chmod(real.path.c_str(), 0640), 0);
    ProfileFile link(dir, "link.ini");
    fs::create_symlink(real.path, link.path);
    ASSERT_EQ(link.write(L"s", L"k", L"2"), 1);
    EXPECT_TRUE(fs::is_symlink(link.path));
    EXPECT_EQ(real.bytes(), "[s]\r\nk=2\r\n");
    struct stat info {};
    ASSERT_EQ(stat(real.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(Write, DamagedBinaryFileIsReadAndKept)
{
    TempDir dir;
    ProfileFile f(dir);
    std::mt19937 random(7);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random() & 0xFF);
    garbage += std::string(200000, 'A'); // an overlong last line
    writeFile(f.path, garbage);
    EXPECT_EQ(f.read(L"PROJECT", L"HARD_TYPE", L"GX58"), L"GX58");
    EXPECT_EQ(GetPrivateProfileIntW(L"PROJECT", L"TOP_RETRY_MAX", 2, f.wpath.c_str()), 2u);
    ASSERT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"RQ72"), 1);
    EXPECT_EQ(f.read(L"PROJECT", L"HARD_TYPE", L"GX58"), L"RQ72");
    EXPECT_EQ(f.bytes().substr(0, garbage.size()), garbage);
}

// ---- Atomic replacement and failures ----------------------------------------------------------

TEST(Atomic, ReadersNeverSeeAPartialFile)
{
    TempDir dir;
    ProfileFile f(dir);
    std::string content = "[pad]\r\n";
    for (int i = 0; i < 3000; ++i)
        content += "pad" + std::to_string(i) + "=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n";
    content += "[state]\r\ngen=0000\r\n[tail]\r\nend=yes\r\n";
    writeFile(f.path, content);
    const std::size_t size = content.size();

    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<int> torn{0};
    auto reader = [&] {
        while (!done.load()) {
            const std::string now = f.bytes();
            if (now.size() != size || now.compare(size - 9, 9, "end=yes\r\n") != 0)
                ++torn;
            if (f.read(L"tail", L"end", L"missing") != L"yes")
                ++torn;
            ++reads;
        }
    };
    std::thread r1(reader);
    std::thread r2(reader);
    for (int i = 1; i <= 150; ++i) {
        wchar_t gen[8];
        swprintf(gen, 8, L"%04d", i);
        ASSERT_EQ(f.write(L"state", L"gen", gen), 1);
    }
    done = true;
    r1.join();
    r2.join();
    EXPECT_EQ(torn.load(), 0) << "of " << reads.load() << " reads";
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(f.read(L"state", L"gen"), L"0150");
}

TEST(Atomic, WritersOfOneProcessDoNotLoseChanges)
{
    TempDir dir;
    ProfileFile f(dir);
    auto writer = [&](const wchar_t* section) {
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(f.write(section, (L"k" + std::to_wstring(i)).c_str(), L"v"), 1);
    };
    std::thread a(writer, L"A");
    std::thread b(writer, L"B");
    a.join();
    b.join();
    for (const wchar_t* section : {L"A", L"B"}) {
        wchar_t buf[1024];
        GetPrivateProfileSectionW(section, buf, 1024, f.wpath.c_str());
        std::size_t count = 0;
        for (const wchar_t* p = buf; *p; p += wcslen(p) + 1)
            ++count;
        EXPECT_EQ(count, 40u) << "section " << tarvik::wideToUtf8(section);
    }
}

TEST(Atomic, WriteFailingPartWayLeavesTheOldFileIntact)
{
    TempDir dir;
    ProfileFile f(dir);
    std::string content = "[PROJECT]\r\nHARD_TYPE=GX58\r\n[pad]\r\n";
    for (int i = 0; i < 400; ++i)
        content += "pad" + std::to_string(i) + "=xxxxxxxxxxxxxxxxxxxxxxxx\r\n";
    writeFile(f.path, content);
    TraceCapture trace;

    // A file-size limit below the new file's size makes the write of the temporary file fail
    // after its first 4 KiB, as a full disk would.
    rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = f.write(L"PROJECT", L"HARD_TYPE", L"RQ81");
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(f.bytes(), content);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "the temporary file must be gone";
    ASSERT_EQ(trace.lines().size(), 1u);
    EXPECT_NE(trace.lines()[0].find(L"cannot write"), std::wstring::npos);
}

TEST(Failure, UnwritableFolderIsTracedOnceUntilAWriteSucceeds)
{
    TempDir dir;
    TraceCapture trace;
    const std::string folder = dir.file("data");
    ProfileFile f(dir, "data/Tarvik.INI");

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"GX58"), 0);
        EXPECT_EQ(f.read(L"PROJECT", L"HARD_TYPE", L"dflt"), L"dflt");
    }
    EXPECT_EQ(trace.lines().size(), 1u) << "a missing folder";

    fs::create_directory(folder);
    EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"GX58"), 1);
    fs::remove_all(folder);
    writeFile(folder, "a file where the folder should be");
    EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"GX58"), 0);
    EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"GX58"), 0);
    EXPECT_EQ(trace.lines().size(), 2u) << "traced again after a success";

    if (geteuid() != 0) { // root writes into read-only folders
        fs::remove(folder);
        fs::create_directory(folder);
        EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"RQ72"), 1);
        chmod(folder.c_str(), 0555);
        EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"GX58"), 0);
        EXPECT_EQ(f.write(L"PROJECT", L"WAKEUP_CODE", L"A1"), 0);
        EXPECT_EQ(f.read(L"PROJECT", L"HARD_TYPE"), L"RQ72");
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(trace.lines().size(), 3u);

        chmod(f.path.c_str(), 0444); // a read-only file in a writable folder stays as it is
        EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"GX58"), 0);
        EXPECT_EQ(f.read(L"PROJECT", L"HARD_TYPE"), L"RQ72");
    }
}

TEST(Failure, UnreadableFileGivesDefaultsAndIsTracedOnce)
{
    TempDir dir;
    TraceCapture trace;
    ProfileFile f(dir);
    fs::create_directory(f.path); // a folder where the file should be
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f.read(L"PROJECT", L"HARD_TYPE", L"GX58"), L"GX58");
    EXPECT_EQ(trace.lines().size(), 1u);
    EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"GX58"), 0);
    EXPECT_EQ(f.write(L"PROJECT", L"HARD_TYPE", L"GX58"), 0);
    EXPECT_EQ(trace.lines().size(), 2u) << "one line for reading, one for writing";
}

} // namespace
