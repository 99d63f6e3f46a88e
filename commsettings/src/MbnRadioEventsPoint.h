#pragma once

#include "ComCompat.h"

#include <atomic>
#include <mutex>
#include <vector>

// The connection point of a mobile-broadband interface manager for IMbnRadioEvents: the sinks
// clients advise, and the delivery of radio events to them. Events come from a worker thread of the
// service while clients advise from theirs, so the sink list is guarded; sinks are called outside
// the lock, each with a reference held for the call.
class MbnRadioEventsPoint final : public IConnectionPoint {
public:
    MbnRadioEventsPoint() = default;
    MbnRadioEventsPoint(const MbnRadioEventsPoint&) = delete;
    MbnRadioEventsPoint& operator=(const MbnRadioEventsPoint&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

    void radioStateChanged(IMbnRadio* radio);
    void setSoftwareRadioStateCompleted(IMbnRadio* radio, ULONG requestId, HRESULT status);

private:
    struct Connection {
        DWORD cookie;
        IMbnRadioEvents* sink;
    };

    ~MbnRadioEventsPoint() override;
    std::vector<IMbnRadioEvents*> sinks();

    std::atomic<ULONG> refCount_{1};
    std::mutex mutex_;
    std::vector<Connection> connections_;
    DWORD lastCookie_ = 0;
};
