#pragma once

#include "ComCompat.h"

#include <atomic>

namespace tarvik {
class MobileBroadband;
}
class MbnRadioEventsPoint;

// The mobile-broadband interface manager: the interfaces of the service and the connection point for
// their radio events. Made with one reference, the creator's.
class MbnInterfaceManager final : public IMbnInterfaceManager, public IConnectionPointContainer {
public:
    // What creating the class MbnInterfaceManager gives (CoCreateInstance on the original
    // platform): fails with kMbnServiceMissing when the service cannot be reached.
    static HRESULT create(REFIID iid, void** object);

    explicit MbnInterfaceManager(tarvik::MobileBroadband& service);
    MbnInterfaceManager(const MbnInterfaceManager&) = delete;
    MbnInterfaceManager& operator=(const MbnInterfaceManager&) = delete;

    // IUnknown, IMbnInterfaceManager and IConnectionPointContainer.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetInterface(LPCWSTR id, IMbnInterface** mbnInterface) override;
    // Fails with kMbnNoInterfaces when the service lists none.
    HRESULT GetInterfaces(SAFEARRAY** interfaces) override;

    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

private:
    ~MbnInterfaceManager() override;

    tarvik::MobileBroadband& service_;
    MbnRadioEventsPoint* radioEvents_;
    std::atomic<ULONG> refCount_{1};
};

inline constexpr HRESULT kMbnServiceMissing = HRESULT_FROM_WIN32(1062); // ERROR_SERVICE_NOT_ACTIVE
inline constexpr HRESULT kMbnNoInterfaces = HRESULT_FROM_WIN32(1168);   // ERROR_NOT_FOUND
