#pragma once

#include "ComCompat.h"

#include <atomic>

namespace miravel {

// Reference counting and QueryInterface for an object that implements one interface. Objects are
// made with new (count 1, owned by the caller) and delete themselves at the last Release.
template <class Interface, const IID& kInterfaceId>
class ComObject : public Interface {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == kInterfaceId) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    ComObject() = default;
    ~ComObject() override = default;

private:
    std::atomic<ULONG> references_{1};
};

// Releases *p when set and clears it.
template <class T>
void releaseAndClear(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

} // namespace miravel
