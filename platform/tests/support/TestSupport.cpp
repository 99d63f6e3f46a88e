#include "TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tarvik::test {

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "tarvik-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void writeFile(const std::string& path, const std::string& content)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string& testBoardDir()
{
    static const std::string dir = [] {
        const char* env = std::getenv("TARVIK_BOARD");
        return std::string(env ? env : "");
    }();
    return dir;
}

CommandResult runCommand(const std::vector<std::string>& argv)
{
    TempDir scratch;
    const std::string outPath = scratch.file("out");
    const std::string errPath = scratch.file("err");
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (!freopen(outPath.c_str(), "w", stdout) || !freopen(errPath.c_str(), "w", stderr))
            _exit(127);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    CommandResult r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(outPath);
    r.err = readFile(errPath);
    return r;
}

} // namespace tarvik::test
