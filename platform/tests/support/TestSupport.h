#pragma once

// Helpers shared by the tests of every folder: a sleeper that records instead of sleeping, temporary
// folders, seam overrides that undo themselves, and the virtual board the test process runs on.

#include "DeviceList.h"
#include "FirmwareInfo.h"
#include "PortIo.h"
#include "Sleeper.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <numeric>
#include <string>
#include <vector>

namespace tarvik::test {

// Records every wait and returns at once.
class RecordingSleeper final : public Sleeper {
public:
    void sleepMs(unsigned ms) override
    {
        std::lock_guard lock(mutex_);
        waits_.push_back(ms);
    }
    std::vector<unsigned> waits() const
    {
        std::lock_guard lock(mutex_);
        return waits_;
    }
    unsigned totalMs() const
    {
        const auto w = waits();
        return std::accumulate(w.begin(), w.end(), 0u);
    }
    std::size_t count(unsigned ms) const
    {
        const auto w = waits();
        return static_cast<std::size_t>(std::count(w.begin(), w.end(), ms));
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        waits_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<unsigned> waits_;
};

// Puts a seam in front of the process's own for the life of the guard.
template <class Seam, void (*Override)(Seam*)>
class SeamOverride {
public:
    explicit SeamOverride(Seam& seam) { Override(&seam); }
    ~SeamOverride() { Override(nullptr); }
    SeamOverride(const SeamOverride&) = delete;
    SeamOverride& operator=(const SeamOverride&) = delete;
};
using SleeperOverride = SeamOverride<Sleeper, overrideProcessSleeper>;
using PortIoOverride = SeamOverride<PortIo, overrideProcessPortIo>;
using FirmwareOverride = SeamOverride<FirmwareInfo, overrideProcessFirmwareInfo>;
using DeviceListOverride = SeamOverride<DeviceList, overrideProcessDeviceList>;

// Firmware information held in a map; a name not in the map is missing.
class FakeFirmwareInfo final : public FirmwareInfo {
public:
    std::map<std::string, std::wstring> strings;
    std::map<std::string, std::uint32_t> numbers;

    std::optional<std::wstring> readString(std::string_view name) override
    {
        const auto it = strings.find(std::string(name));
        return it == strings.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::uint32_t> readNumber(std::string_view name) override
    {
        const auto it = numbers.find(std::string(name));
        return it == numbers.end() ? std::nullopt : std::optional(it->second);
    }
};

// A device list held in vectors; listFails makes every listing fail.
class FakeDeviceList final : public DeviceList {
public:
    std::vector<DeviceEntry> ports;
    std::vector<DeviceEntry> modems;
    bool listFails = false;

    std::optional<std::vector<DeviceEntry>> presentDevices(DeviceClass c, bool) override
    {
        if (listFails)
            return std::nullopt;
        return c == DeviceClass::Ports ? ports : modems;
    }
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes a file, creating its folders.
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);

// The board the test process runs on: with the board test main (TestBoardMain.cpp), a fresh KTA
// board in a temporary folder that TARVIK_BOARD names. Tests may re-create it as another model.
const std::string& testBoardDir();

// Runs a command through the shell; returns its exit status and what it wrote.
struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};
CommandResult runCommand(const std::vector<std::string>& argv);

} // namespace tarvik::test
