#include "TemplateCopy.h"

#include "HardType.h"
#include "TextConvert.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

bool copyContent(int from, int to)
{
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(from, chunk, sizeof chunk);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, chunk + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += w;
        }
    }
}

void traceCopy(const ConfigTrace& trace, const std::wstring& source, const std::wstring& target,
               const wchar_t* copiedLine, const wchar_t* existsLine)
{
    int error = 0;
    switch (CopyTemplateFile(source, target, &error)) {
    case CopyOutcome::Copied:
        sendConfigTrace(trace, copiedLine);
        break;
    case CopyOutcome::TargetExists:
        sendConfigTrace(trace, existsLine);
        break;
    case CopyOutcome::Failed:
        sendConfigTrace(trace, existsLine);
        sendConfigTrace(trace, L"\nApp cannot copy [" + source + L"] to [" + target + L"]: " +
                             tarvik::utf8ToWide(std::error_code(error, std::generic_category()).message()));
        break;
    }
}

// Gives the finished copy the target's name only while that name is free, so a target made
// meanwhile by another start is never overwritten. link() does it on most file systems; those
// without hard links get an exclusive rename.
bool linkWithoutReplacing(const std::string& temp, const std::string& target)
{
    if (::link(temp.c_str(), target.c_str()) == 0)
        return true;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    return ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
}

} // namespace

TemplateNames TemplateNamesForModel(int modelType)
{
    switch (modelType) {
    case kModelTypeRQ63:
        return {L"RQ63_default.INI", L"km_config_RQ63.ini"};
    case kModelTypeRQ81:
        return {L"RQ81_default.INI", L"km_config_RQ81.ini"};
    case kModelTypeRQ72:
        return {L"RQ72_default.INI", L"km_config_RQ72.ini"};
    default:
        return {L"GX58_default.INI", L"km_config_GX58.ini"};
    }
}

CopyOutcome CopyTemplateFile(const std::wstring& source, const std::wstring& target, int* error)
{
    static std::atomic<unsigned> serial{0};
    const std::string from = tarvik::wideToUtf8(source);
    const std::string to = tarvik::wideToUtf8(target);
    int dummy = 0;
    int& err = error ? *error : dummy;
    err = 0;

    if (::access(to.c_str(), F_OK) == 0)
        return CopyOutcome::TargetExists;
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        err = errno;
        return CopyOutcome::Failed;
    }
    const std::size_t slash = to.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash);
    const std::string temp = folder + "/.template-" + std::to_string(::getpid()) + "-" +
                             std::to_string(serial.fetch_add(1));
    const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        err = errno;
        ::close(in);
        return CopyOutcome::Failed;
    }
    bool ok = copyContent(in, out) && ::fsync(out) == 0;
    if (!ok)
        err = errno;
    ::close(in);
    if (::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    CopyOutcome outcome = ok ? CopyOutcome::Copied : CopyOutcome::Failed;
    if (ok && !linkWithoutReplacing(temp, to)) {
        err = errno;
        outcome = err == EEXIST ? CopyOutcome::TargetExists : CopyOutcome::Failed;
    }
    ::unlink(temp.c_str());
    if (outcome == CopyOutcome::Copied) {
        if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return outcome;
}

void CopyTemplates(const DataPaths& paths, int modelType, const ConfigTrace& trace)
{
    const TemplateNames names = TemplateNamesForModel(modelType);
    const std::wstring settingsTemplate = paths.templateFolder + names.settings;
    sendConfigTrace(trace, L"\nApp source ini file =[" + settingsTemplate + L"]");
    traceCopy(trace, settingsTemplate, paths.settingsFile, L"\nApp copy ini file firstly.",
              L"\nApp Tarvik.ini file is exist.");

    const std::wstring keyMapTemplate = paths.templateFolder + names.keyMap;
    sendConfigTrace(trace, L"\nApp kmconfig source ini file =[" + keyMapTemplate + L"]");
    traceCopy(trace, keyMapTemplate, paths.keyMapCopyTarget, L"\nApp copy km_config ini file firstly.",
              L"\nApp km_config.ini file is exist.");
}
