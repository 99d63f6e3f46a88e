#include "Telnira.h"

#include "ComRef.h"
#include "Diagnostic.h"
#include "MbnInterfaceManager.h"
#include "MbnLibraryState.h"
#include "TextConvert.h"

#include <vector>

using tarvik::diagnostic;

namespace {

std::string utf8(const wchar_t* text) { return tarvik::wideToUtf8(text ? text : L""); }

} // namespace

CWwanControl::CWwanControl()
{
    m_comStatus = kNoStatus;
    m_creationStatus = kNoStatus;
    m_comStatus = InitApp();
    if (SUCCEEDED(m_comStatus)) {
        m_creationStatus = InitInterfaceMgr();
        if (FAILED(m_creationStatus)) {
            DeInitApp();
            m_comStatus = kNoStatus;
        }
    }
}

CWwanControl::~CWwanControl()
{
    if (holdsComInitialisation())
        DeInitApp();
    DeInitInterfaceMgr();
    CoTaskMemFree(m_defaultInterfaceId);
    CoTaskMemFree(m_secondInterfaceId);
}

HRESULT CWwanControl::InitApp() { return CoInitializeEx(nullptr, COINIT_MULTITHREADED); }

HRESULT CWwanControl::InitInterfaceMgr()
{
    IMbnInterfaceManager* made = nullptr;
    const HRESULT hr = MbnInterfaceManager::create(IID_IMbnInterfaceManager, reinterpret_cast<void**>(&made));
    MbnLibraryState::instance().replaceManager(made);
    return hr;
}

IMbnInterfaceManager* CWwanControl::freshManager()
{
    m_creationStatus = InitInterfaceMgr();
    return MbnLibraryState::instance().manager();
}

void CWwanControl::DeInitApp() { CoUninitialize(); }

void CWwanControl::DeInitInterfaceMgr() { MbnLibraryState::instance().replaceManager(nullptr); }

// 575 (kNoStatus) counts as success for SUCCEEDED but means that no initialisation is held.
bool CWwanControl::holdsComInitialisation() const { return SUCCEEDED(m_comStatus) && m_comStatus != kNoStatus; }

bool CWwanControl::recheckCom()
{
    if (FAILED(m_comStatus) && m_comStatus != RPC_E_CHANGED_MODE) {
        m_comStatus = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (FAILED(m_comStatus) && m_comStatus != RPC_E_CHANGED_MODE)
            return false;
    }
    return true;
}

void CWwanControl::EnumInterface()
{
    if (!recheckCom())
        return;
    ComRef<IMbnInterfaceManager> manager(freshManager());
    if (!manager)
        return;
    SAFEARRAY* array = nullptr;
    if (FAILED(manager->GetInterfaces(&array)) || !array)
        return;
    std::vector<GUID> guids;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        ComRef<IMbnInterface> element;
        if (FAILED(SafeArrayGetElement(array, &i, element.out())) || !element)
            continue;
        BSTR id = nullptr;
        if (FAILED(element->get_InterfaceID(&id)))
            continue;
        GUID guid{};
        if (SUCCEEDED(IIDFromString(id, &guid)))
            guids.push_back(guid);
        SysFreeString(id);
    }
    if (!guids.empty()) {
        CoTaskMemFree(m_defaultInterfaceId);
        CoTaskMemFree(m_secondInterfaceId);
        m_defaultInterfaceId = nullptr;
        m_secondInterfaceId = nullptr;
        StringFromIID(guids[0], &m_defaultInterfaceId);
        if (guids.size() >= 2)
            StringFromIID(guids[1], &m_secondInterfaceId);
        for (std::size_t i = 0; i < guids.size(); ++i) {
            OLECHAR text[kGuidTextChars];
            StringFromGUID2(guids[i], text, kGuidTextChars);
            diagnostic("Interface [%d] = %s\n", static_cast<int>(i), utf8(text).c_str());
        }
    }
    SafeArrayDestroy(array);
}

MBN_RADIO CWwanControl::GetRadioState(const wchar_t* interfaceId)
{
    if (!interfaceId) {
        diagnostic("\t interface not fund \tOff\n");
        return MBN_RADIO_OFF;
    }
    if (!recheckCom())
        return MBN_RADIO_OFF;
    ComRef<IMbnInterfaceManager> manager(freshManager());
    if (!manager)
        return MBN_RADIO_OFF;
    ComRef<IMbnInterface> mbnInterface;
    if (FAILED(manager->GetInterface(interfaceId, mbnInterface.out())))
        return MBN_RADIO_OFF;
    ComRef<IMbnRadio> radio;
    if (FAILED(mbnInterface->QueryInterface(IID_IMbnRadio, radio.outVoid())))
        return MBN_RADIO_OFF;
    // A state the service cannot tell counts as off.
    MBN_RADIO software = MBN_RADIO_OFF;
    if (SUCCEEDED(radio->get_SoftwareRadioState(&software)))
        diagnostic(software == MBN_RADIO_ON ? "\t SoftwareRadioState \tOn\n" : "\t SoftwareRadioState \tOff\n");
    else
        software = MBN_RADIO_OFF;
    MBN_RADIO hardware = MBN_RADIO_OFF;
    if (SUCCEEDED(radio->get_HardwareRadioState(&hardware)))
        diagnostic(hardware == MBN_RADIO_ON ? "\t HardwareRadioState \tOn\n" : "\t HardwareRadioState \tOff\n");
    return software;
}

MBN_RADIO CWwanControl::GetDefaultRadioState()
{
    if (!m_defaultInterfaceId)
        EnumInterface();
    return GetRadioState(m_defaultInterfaceId);
}

int CWwanControl::SetRadioState(int on, const wchar_t* interfaceId)
{
    if (!interfaceId) {
        diagnostic("\t input interfaceStr is NULL, 88 \tOff\n");
        return 0;
    }
    const MBN_RADIO wanted = on ? MBN_RADIO_ON : MBN_RADIO_OFF;
    if (GetRadioState(interfaceId) == wanted) {
        diagnostic("\t the State you want to set is the same as the original state, 88 \tOff\n");
        return 0;
    }
    MbnLibraryState& library = MbnLibraryState::instance();
    ComRef<IUnknown> sink;
    [&] {
        if (!recheckCom())
            return;
        ComRef<IMbnInterfaceManager> manager(freshManager());
        if (!manager || !library.openCompletionEvent())
            return;
        ComRef<IConnectionPointContainer> container;
        ComRef<IConnectionPoint> point;
        if (FAILED(manager->QueryInterface(IID_IConnectionPointContainer, container.outVoid())) ||
            FAILED(container->FindConnectionPoint(IID_IMbnRadioEvents, point.out())))
            return;
        if (FAILED((new CMbnSinks)->QueryInterface(IID_IUnknown, sink.outVoid())))
            return;
        // The connection stays: the service still has to report this request's completion.
        DWORD cookie = 0;
        if (FAILED(point->Advise(sink.get(), &cookie)))
            return;
        ComRef<IMbnInterface> mbnInterface;
        ComRef<IMbnRadio> radio;
        if (FAILED(manager->GetInterface(interfaceId, mbnInterface.out())) ||
            FAILED(mbnInterface->QueryInterface(IID_IMbnRadio, radio.outVoid())))
            return;
        ULONG requestId = 0;
        if (SUCCEEDED(radio->SetSoftwareRadioState(wanted, &requestId)))
            diagnostic("\t SetSoftwareRadioState call successful requestID = %d\n", static_cast<int>(requestId));
    }();
    // The request is not waited for; its completion may be running on the service's thread now.
    library.closeCompletionEvent();
    sink.reset();
    library.keepLastRadio(nullptr);
    return 1;
}

int CWwanControl::SetDefaultRadioState(int on)
{
    if (!m_defaultInterfaceId)
        EnumInterface();
    return SetRadioState(on, m_defaultInterfaceId);
}

int CWwanControl::isSimCardInserted(const wchar_t* interfaceId)
{
    if (!interfaceId || !recheckCom())
        return 0;
    ComRef<IMbnInterfaceManager> manager(freshManager());
    if (!manager)
        return 0;
    ComRef<IMbnInterface> mbnInterface;
    if (FAILED(manager->GetInterface(interfaceId, mbnInterface.out())))
        return 0;
    // A ready state the service cannot tell counts as no SIM.
    MBN_READY_STATE ready = MBN_READY_STATE_SIM_NOT_INSERTED;
    if (FAILED(mbnInterface->GetReadyState(&ready)))
        return 0;
    return ready == MBN_READY_STATE_SIM_NOT_INSERTED ? 0 : 1;
}

int CWwanControl::isDefaultSimCardInserted()
{
    if (!m_defaultInterfaceId)
        EnumInterface();
    return isSimCardInserted(m_defaultInterfaceId);
}
