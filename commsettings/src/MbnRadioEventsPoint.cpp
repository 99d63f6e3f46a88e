#include "MbnRadioEventsPoint.h"

MbnRadioEventsPoint::~MbnRadioEventsPoint()
{
    for (const Connection& c : connections_)
        c.sink->Release();
}

HRESULT MbnRadioEventsPoint::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG MbnRadioEventsPoint::AddRef() { return ++refCount_; }

ULONG MbnRadioEventsPoint::Release()
{
    const ULONG left = --refCount_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT MbnRadioEventsPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = IID_IMbnRadioEvents;
    return S_OK;
}

HRESULT MbnRadioEventsPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!sink || !cookie)
        return E_POINTER;
    IMbnRadioEvents* events = nullptr;
    if (FAILED(sink->QueryInterface(IID_IMbnRadioEvents, reinterpret_cast<void**>(&events))) || !events)
        return CONNECT_E_CANNOTCONNECT;
    std::lock_guard lock(mutex_);
    *cookie = ++lastCookie_;
    connections_.push_back({*cookie, events});
    return S_OK;
}

HRESULT MbnRadioEventsPoint::Unadvise(DWORD cookie)
{
    IMbnRadioEvents* sink = nullptr;
    {
        std::lock_guard lock(mutex_);
        for (auto it = connections_.begin(); it != connections_.end(); ++it) {
            if (it->cookie == cookie) {
                sink = it->sink;
                connections_.erase(it);
                break;
            }
        }
    }
    if (!sink)
        return CONNECT_E_NOCONNECTION;
    sink->Release();
    return S_OK;
}

std::vector<IMbnRadioEvents*> MbnRadioEventsPoint::sinks()
{
    std::lock_guard lock(mutex_);
    std::vector<IMbnRadioEvents*> list;
    for (const Connection& c : connections_) {
        c.sink->AddRef();
        list.push_back(c.sink);
    }
    return list;
}

void MbnRadioEventsPoint::radioStateChanged(IMbnRadio* radio)
{
    for (IMbnRadioEvents* sink : sinks()) {
        sink->OnRadioStateChange(radio);
        sink->Release();
    }
}

void MbnRadioEventsPoint::setSoftwareRadioStateCompleted(IMbnRadio* radio, ULONG requestId, HRESULT status)
{
    for (IMbnRadioEvents* sink : sinks()) {
        sink->OnSetSoftwareRadioStateComplete(radio, requestId, status);
        sink->Release();
    }
}
