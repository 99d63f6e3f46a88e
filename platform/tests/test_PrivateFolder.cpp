// The runtime folder: made owner-only, closed to others when it is ours, refused when it is not a
// folder of this user (another local user may have made it first in /tmp).
#include "Platform.h"
#include "PrivateFolder.h"
#include "TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tarvik;
using namespace tarvik::test;

namespace {

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(PrivateFolder, MakesAMissingFolderOwnerOnly)
{
    TempDir dir;
    const std::string path = dir.file("tarvik");
    EXPECT_EQ(makePrivateFolder(path), std::nullopt);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(modeOf(path), 0700u);
    // Made again: the same folder, still fine.
    EXPECT_EQ(makePrivateFolder(path), std::nullopt);

    const std::string orphan = dir.file("no-parent/tarvik");
    const auto problem = makePrivateFolder(orphan);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("cannot be made"), std::string::npos) << *problem;
}

TEST(PrivateFolder, OurFolderOpenToOthersIsClosed)
{
    TempDir dir;
    const std::string path = dir.file("tarvik");
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    for (const mode_t open : {0777u, 0750u, 0701u, 01777u}) {
        SCOPED_TRACE(open);
        ASSERT_EQ(chmod(path.c_str(), open), 0);
        EXPECT_EQ(makePrivateFolder(path), std::nullopt);
        EXPECT_EQ(modeOf(path), 0700u);
    }
}

TEST(PrivateFolder, RefusesWhatIsNotAFolderOfThisUser)
{
    TempDir dir;
    // A link to a folder that would pass: the link is what another user could point elsewhere.
    const std::string target = dir.file("target");
    ASSERT_EQ(mkdir(target.c_str(), 0777), 0);
    ASSERT_EQ(chmod(target.c_str(), 0777), 0);
    const std::string link = dir.file("link");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    const std::string dangling = dir.file("dangling");
    ASSERT_EQ(symlink(dir.file("nowhere").c_str(), dangling.c_str()), 0);
    const std::string file = dir.file("file");
    writeFile(file, "x");

    struct Case {
        std::string path;
        const char* problem;
    };
    std::vector<Case> cases = {
        {link, "is a symbolic link"},
        {dangling, "is a symbolic link"},
        {file, "is not a folder"},
    };
    const std::string foreign = dir.file("foreign");
    if (geteuid() == 0) {
        // Someone else's folder, as root can make one.
        ASSERT_EQ(mkdir(foreign.c_str(), 0700), 0);
        ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
        cases.push_back({foreign, "belongs to user 65534"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto problem = makePrivateFolder(c.path);
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->find(c.problem), std::string::npos) << *problem;
    }
    EXPECT_EQ(modeOf(target), 0777u) << "a link's target is left alone";
    EXPECT_FALSE(fs::exists(dir.file("nowhere"))) << "nothing is made where a link points";
    if (geteuid() == 0) {
        EXPECT_EQ(modeOf(foreign), 0700u);
    }
}

TEST(PrivateFolder, RuntimeFolderFollowsTheSessionsRuntimeDirectory)
{
    TempDir dir;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string restore = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    EXPECT_EQ(Platform::runtimeDir(), dir.file("tarvik"));
    EXPECT_EQ(makeRuntimeFolder(), std::nullopt);
    EXPECT_EQ(modeOf(dir.file("tarvik")), 0700u);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(Platform::runtimeDir(), "/tmp/tarvik-" + std::to_string(getuid()));
    if (saved)
        setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
}

} // namespace
