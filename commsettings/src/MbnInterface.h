#pragma once

#include "ComCompat.h"

#include <atomic>
#include <string>

namespace tarvik {
class MobileBroadband;
}
class MbnRadioEventsPoint;

// One mobile-broadband interface of the service, with its radio (one object, two interfaces, as the
// system's service has it). Its radio events go to the connection point of the manager that made it.
// Made with one reference, the creator's.
class MbnInterface final : public IMbnInterface, public IMbnRadio {
public:
    MbnInterface(tarvik::MobileBroadband& service, std::wstring id, MbnRadioEventsPoint* events);
    MbnInterface(const MbnInterface&) = delete;
    MbnInterface& operator=(const MbnInterface&) = delete;

    // IUnknown, IMbnInterface and IMbnRadio.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT get_InterfaceID(BSTR* id) override;
    HRESULT GetReadyState(MBN_READY_STATE* state) override;

    HRESULT get_SoftwareRadioState(MBN_RADIO* state) override;
    HRESULT get_HardwareRadioState(MBN_RADIO* state) override;
    HRESULT SetSoftwareRadioState(MBN_RADIO state, ULONG* requestId) override;

private:
    ~MbnInterface() override;

    tarvik::MobileBroadband& service_;
    std::wstring id_;
    MbnRadioEventsPoint* events_;
    std::atomic<ULONG> refCount_{1};
};

// What the interface objects answer when the interface has gone (the modem lost power) or the
// service stopped answering.
inline constexpr HRESULT kMbnInterfaceGone = HRESULT_FROM_WIN32(1168); // ERROR_NOT_FOUND
