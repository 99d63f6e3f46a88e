#include "MbnInterface.h"

#include "MbnRadioEventsPoint.h"
#include "MobileBroadband.h"

MbnInterface::MbnInterface(tarvik::MobileBroadband& service, std::wstring id, MbnRadioEventsPoint* events)
    : service_(service), id_(std::move(id)), events_(events)
{
    events_->AddRef();
}

MbnInterface::~MbnInterface() { events_->Release(); }

HRESULT MbnInterface::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMbnInterface) {
        *object = static_cast<IMbnInterface*>(this);
    } else if (iid == IID_IMbnRadio) {
        *object = static_cast<IMbnRadio*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG MbnInterface::AddRef() { return ++refCount_; }

ULONG MbnInterface::Release()
{
    const ULONG left = --refCount_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT MbnInterface::get_InterfaceID(BSTR* id)
{
    if (!id)
        return E_POINTER;
    *id = SysAllocString(id_.c_str());
    return *id ? S_OK : E_OUTOFMEMORY;
}

HRESULT MbnInterface::GetReadyState(MBN_READY_STATE* state)
{
    if (!state)
        return E_POINTER;
    const auto ready = service_.readyState(id_);
    if (!ready)
        return kMbnInterfaceGone;
    *state = static_cast<MBN_READY_STATE>(*ready);
    return S_OK;
}

HRESULT MbnInterface::get_SoftwareRadioState(MBN_RADIO* state)
{
    if (!state)
        return E_POINTER;
    const auto on = service_.softwareRadio(id_);
    if (!on)
        return kMbnInterfaceGone;
    *state = *on ? MBN_RADIO_ON : MBN_RADIO_OFF;
    return S_OK;
}

HRESULT MbnInterface::get_HardwareRadioState(MBN_RADIO* state)
{
    if (!state)
        return E_POINTER;
    const auto on = service_.hardwareRadio(id_);
    if (!on)
        return kMbnInterfaceGone;
    *state = *on ? MBN_RADIO_ON : MBN_RADIO_OFF;
    return S_OK;
}

HRESULT MbnInterface::SetSoftwareRadioState(MBN_RADIO state, ULONG* requestId)
{
    if (!requestId)
        return E_POINTER;
    if (state != MBN_RADIO_ON && state != MBN_RADIO_OFF)
        return E_INVALIDARG;
    // The completion holds this object (and through it the connection point) until it has run.
    AddRef();
    const auto request = service_.requestSoftwareRadio(
        id_, state == MBN_RADIO_ON, [this](std::uint32_t id, std::int32_t status, bool changed) {
            IMbnRadio* radio = this;
            if (changed)
                events_->radioStateChanged(radio);
            events_->setSoftwareRadioStateCompleted(radio, id, status);
            Release();
        });
    if (!request) {
        Release();
        return kMbnInterfaceGone;
    }
    *requestId = *request;
    return S_OK;
}
