#include "SimMobileBroadband.h"

#include "Board.h"
#include "TextConvert.h"
#include "WirelessBoard.h"

#include <cstdio>

namespace tarvik {

struct SimMobileBroadband::Interface {
    int slot;
    int readyState;
    bool softwareRadioOn;
    bool hardwareRadioOn;
};

SimMobileBroadband::SimMobileBroadband(std::string boardDir) : access_(std::move(boardDir), "mobile broadband") {}

SimMobileBroadband::~SimMobileBroadband() = default;

std::optional<SimMobileBroadband::Interface> SimMobileBroadband::find(const std::wstring& id)
{
    std::lock_guard lock(boardMutex_);
    board::WirelessBoard* w = wireless();
    if (!w)
        return std::nullopt;
    const std::string wanted = wideToUtf8(id);
    for (const board::WirelessBoard::Mbn& m : w->mbnInterfaces()) {
        if (m.id == wanted)
            return Interface{m.slot, m.readyState, m.softwareRadioOn, m.hardwareRadioOn};
    }
    return std::nullopt;
}

bool SimMobileBroadband::reachable()
{
    std::lock_guard lock(boardMutex_);
    return wireless() != nullptr;
}

std::optional<std::vector<std::wstring>> SimMobileBroadband::interfaceIds()
{
    std::lock_guard lock(boardMutex_);
    board::WirelessBoard* w = wireless();
    if (!w)
        return std::nullopt;
    std::vector<std::wstring> ids;
    for (const board::WirelessBoard::Mbn& m : w->mbnInterfaces())
        ids.push_back(utf8ToWide(m.id));
    return ids;
}

std::optional<int> SimMobileBroadband::readyState(const std::wstring& id)
{
    const auto i = find(id);
    return i ? std::optional(i->readyState) : std::nullopt;
}

std::optional<bool> SimMobileBroadband::softwareRadio(const std::wstring& id)
{
    const auto i = find(id);
    return i ? std::optional(i->softwareRadioOn) : std::nullopt;
}

std::optional<bool> SimMobileBroadband::hardwareRadio(const std::wstring& id)
{
    const auto i = find(id);
    return i ? std::optional(i->hardwareRadioOn) : std::nullopt;
}

std::optional<std::uint32_t> SimMobileBroadband::requestSoftwareRadio(const std::wstring& id, bool on,
                                                                      RadioCompletion done)
{
    if (!find(id))
        return std::nullopt;
    std::uint32_t requestId = 0;
    {
        std::lock_guard lock(boardMutex_);
        requestId = wireless()->nextRequestId();
    }
    worker_.post([this, request = Request{id, on, requestId, std::move(done)}]() mutable { carryOut(request); });
    return requestId;
}

void SimMobileBroadband::carryOut(Request& request)
{
    std::int32_t status = kMbnStatusOk;
    bool changed = false;
    {
        std::lock_guard lock(boardMutex_);
        const std::string wanted = wideToUtf8(request.id);
        bool found = false;
        for (const board::WirelessBoard::Mbn& m : wireless()->mbnInterfaces()) {
            if (m.id != wanted)
                continue;
            found = true;
            changed = m.softwareRadioOn != request.on;
            if (!wireless()->setMbnSoftwareRadio(m.slot, request.on))
                status = kMbnStatusFailed;
        }
        // The modem went away (powered off) between the request and now.
        if (!found)
            status = kMbnStatusNotReady;
        wireless()->requestCompleted();
    }
    request.done(request.requestId, status, changed && status == kMbnStatusOk);
}

} // namespace tarvik
