#include "MbnInterfaceManager.h"

#include "MbnInterface.h"
#include "MbnRadioEventsPoint.h"
#include "MobileBroadband.h"

#include <algorithm>

HRESULT MbnInterfaceManager::create(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    tarvik::MobileBroadband& service = tarvik::processMobileBroadband();
    if (!service.reachable())
        return kMbnServiceMissing;
    auto* manager = new MbnInterfaceManager(service);
    const HRESULT hr = manager->QueryInterface(iid, object);
    manager->Release();
    return hr;
}

MbnInterfaceManager::MbnInterfaceManager(tarvik::MobileBroadband& service)
    : service_(service), radioEvents_(new MbnRadioEventsPoint)
{
}

MbnInterfaceManager::~MbnInterfaceManager() { radioEvents_->Release(); }

HRESULT MbnInterfaceManager::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMbnInterfaceManager) {
        *object = static_cast<IMbnInterfaceManager*>(this);
    } else if (iid == IID_IConnectionPointContainer) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG MbnInterfaceManager::AddRef() { return ++refCount_; }

ULONG MbnInterfaceManager::Release()
{
    const ULONG left = --refCount_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT MbnInterfaceManager::GetInterface(LPCWSTR id, IMbnInterface** mbnInterface)
{
    if (!mbnInterface)
        return E_POINTER;
    *mbnInterface = nullptr;
    if (!id)
        return E_INVALIDARG;
    const auto ids = service_.interfaceIds();
    if (!ids)
        return kMbnServiceMissing;
    if (std::find(ids->begin(), ids->end(), std::wstring(id)) == ids->end())
        return kMbnInterfaceGone;
    *mbnInterface = new MbnInterface(service_, id, radioEvents_);
    return S_OK;
}

HRESULT MbnInterfaceManager::GetInterfaces(SAFEARRAY** interfaces)
{
    if (!interfaces)
        return E_POINTER;
    *interfaces = nullptr;
    const auto ids = service_.interfaceIds();
    if (!ids)
        return kMbnServiceMissing;
    if (ids->empty())
        return kMbnNoInterfaces;
    std::vector<IUnknown*> elements;
    for (const std::wstring& id : *ids)
        elements.push_back(static_cast<IMbnInterface*>(new MbnInterface(service_, id, radioEvents_)));
    *interfaces = SafeArrayFromInterfaces(std::move(elements));
    return S_OK;
}

HRESULT MbnInterfaceManager::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    if (iid != IID_IMbnRadioEvents) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    radioEvents_->AddRef();
    *point = radioEvents_;
    return S_OK;
}
