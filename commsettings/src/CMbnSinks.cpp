#include "Telnira.h"

#include "Diagnostic.h"
#include "MbnLibraryState.h"

HRESULT CMbnSinks::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMbnRadioEvents) {
        *object = static_cast<IMbnRadioEvents*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CMbnSinks::AddRef() { return static_cast<ULONG>(++m_refCount); }

ULONG CMbnSinks::Release()
{
    const LONG left = --m_refCount;
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT CMbnSinks::OnRadioStateChange(IMbnRadio* /*radio*/)
{
    tarvik::diagnostic("*****Received OnRadioStateChange Event\n");
    return S_OK;
}

HRESULT CMbnSinks::OnSetSoftwareRadioStateComplete(IMbnRadio* radio, ULONG requestId, HRESULT /*status*/)
{
    tarvik::diagnostic("***Received OnSetSoftwareRadioStateComplete Event for requestID = %d\n",
                       static_cast<int>(requestId));
    MbnLibraryState& library = MbnLibraryState::instance();
    library.keepLastRadio(radio);
    library.signalCompletion();
    return S_OK;
}
