#pragma once

// The few COM types the libraries' interfaces name (HRESULT results, GUIDs, IUnknown reference
// counting), kept with their Windows values and meaning so that callers and tests read the same
// codes as on the original platform. Shared by Telnira and Miravel; header only, except that the
// thread's COM apartment is kept once per process by the platform library (ComApartment.h).

#include "ComApartment.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;

#define COMPAT_HR(x) static_cast<HRESULT>(static_cast<std::uint32_t>(x))

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = COMPAT_HR(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = COMPAT_HR(0x80004002);
inline constexpr HRESULT E_POINTER = COMPAT_HR(0x80004003);
inline constexpr HRESULT E_FAIL = COMPAT_HR(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = COMPAT_HR(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = COMPAT_HR(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = COMPAT_HR(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = COMPAT_HR(0x80070057);
inline constexpr HRESULT RPC_E_CHANGED_MODE = COMPAT_HR(0x80010106);

#undef COMPAT_HR

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// A GUID laid out as Windows lays it out in memory.
struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFGUID = const GUID&;

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The base of every COM-style object: reference counted, asked for its interfaces by IID.
class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

using REFCLSID = const CLSID&;

// --- Win32 error codes carried in an HRESULT (facility 7), as the sensor library reports them. ---
// HRESULT_FROM_WIN32 as Windows defines it: 0 stays 0, any other code gets the failure bit and
// facility 7 (0x8007xxxx).
constexpr HRESULT HRESULT_FROM_WIN32(std::uint32_t error)
{
    return error == 0 ? 0 : static_cast<HRESULT>((error & 0xFFFFu) | 0x80070000u);
}

// ---------------------------------------------------------------------------------------------
// COM run-time pieces: apartments, the task allocator, GUID texts, arrays of interfaces.

using DWORD = std::uint32_t;
using WCHAR = wchar_t;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using OLECHAR = wchar_t;
using LPOLESTR = wchar_t*;
using LPCOLESTR = const wchar_t*;
using BSTR = wchar_t*;
using LPIID = IID*;

inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD CLSCTX_ALL = 0x17;

inline constexpr HRESULT CO_E_IIDSTRING = static_cast<HRESULT>(0x800401F4u);
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = static_cast<HRESULT>(0x80040202u);

// The calling thread's apartment is one per process (the platform keeps it), so every library and
// the program see the same one: S_OK on the first entry, S_FALSE on a further one of the same kind,
// RPC_E_CHANGED_MODE (not counted) for the other kind.
inline HRESULT CoInitializeEx(void* /*reserved*/, DWORD coInit)
{
    const auto kind = (coInit & COINIT_APARTMENTTHREADED) ? tarvik::ComApartmentKind::SingleThreaded
                                                          : tarvik::ComApartmentKind::Multithreaded;
    switch (tarvik::enterComApartment(kind)) {
    case tarvik::ComEnterResult::Entered: return S_OK;
    case tarvik::ComEnterResult::AlreadyEntered: return S_FALSE;
    case tarvik::ComEnterResult::OtherKind: break;
    }
    return RPC_E_CHANGED_MODE;
}
inline HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }
inline void CoUninitialize() { tarvik::leaveComApartment(); }

// The task allocator is the C heap, the same in every library of the process.
inline void* CoTaskMemAlloc(std::size_t size) { return std::malloc(size); }
inline void CoTaskMemFree(void* block) { std::free(block); }

inline BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    const std::size_t n = std::wcslen(text) + 1;
    auto* copy = static_cast<BSTR>(CoTaskMemAlloc(n * sizeof(OLECHAR)));
    if (copy)
        std::wmemcpy(copy, text, n);
    return copy;
}
inline void SysFreeString(BSTR text) { CoTaskMemFree(text); }

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters and the terminator.
inline constexpr int kGuidTextChars = 39;

// Returns the characters written including the terminator, 0 when the buffer is too small.
inline int StringFromGUID2(REFGUID guid, LPOLESTR text, int chars)
{
    if (!text || chars < kGuidTextChars)
        return 0;
    char narrow[kGuidTextChars];
    std::snprintf(narrow, sizeof narrow, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    for (int i = 0; i < kGuidTextChars; ++i)
        text[i] = static_cast<OLECHAR>(narrow[i]);
    return kGuidTextChars;
}

// The text form in memory of the task allocator; the caller frees it with CoTaskMemFree.
inline HRESULT StringFromIID(REFIID iid, LPOLESTR* text)
{
    if (!text)
        return E_INVALIDARG;
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc(kGuidTextChars * sizeof(OLECHAR)));
    if (!*text)
        return E_OUTOFMEMORY;
    StringFromGUID2(iid, *text, kGuidTextChars);
    return S_OK;
}

// Parses exactly "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits of either case).
inline HRESULT IIDFromString(LPCOLESTR text, LPIID iid)
{
    if (!text || !iid)
        return E_INVALIDARG;
    constexpr const char* kShape = "{........-....-....-....-............}";
    std::uint8_t digits[16];
    int nibble = 0;
    for (int i = 0; i < kGuidTextChars - 1; ++i) {
        const wchar_t c = text[i];
        if (kShape[i] != '.') {
            if (c != static_cast<wchar_t>(kShape[i]))
                return CO_E_IIDSTRING;
            continue;
        }
        int v = -1;
        if (c >= L'0' && c <= L'9')
            v = c - L'0';
        else if (c >= L'a' && c <= L'f')
            v = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            v = c - L'A' + 10;
        if (v < 0)
            return CO_E_IIDSTRING;
        if (nibble % 2 == 0)
            digits[nibble / 2] = static_cast<std::uint8_t>(v << 4);
        else
            digits[nibble / 2] = static_cast<std::uint8_t>(digits[nibble / 2] | v);
        ++nibble;
    }
    if (text[kGuidTextChars - 1] != L'\0')
        return CO_E_IIDSTRING;
    iid->Data1 = static_cast<std::uint32_t>(digits[0]) << 24 | static_cast<std::uint32_t>(digits[1]) << 16 |
                 static_cast<std::uint32_t>(digits[2]) << 8 | digits[3];
    iid->Data2 = static_cast<std::uint16_t>(digits[4] << 8 | digits[5]);
    iid->Data3 = static_cast<std::uint16_t>(digits[6] << 8 | digits[7]);
    std::memcpy(iid->Data4, digits + 8, 8);
    return S_OK;
}

// A one-dimensional array of interface pointers, as the system's services hand out lists of
// objects. The array holds one reference on each element; SafeArrayGetElement gives the caller
// another, and SafeArrayDestroy releases the array's own.
struct SAFEARRAY {
    LONG lowerBound = 0;
    std::vector<IUnknown*> elements;
};

// Takes over one reference on each element.
inline SAFEARRAY* SafeArrayFromInterfaces(std::vector<IUnknown*> elements, LONG lowerBound = 0)
{
    auto* array = new SAFEARRAY;
    array->lowerBound = lowerBound;
    array->elements = std::move(elements);
    return array;
}

inline HRESULT SafeArrayGetLBound(SAFEARRAY* array, unsigned dimension, LONG* bound)
{
    if (!array || !bound)
        return E_INVALIDARG;
    if (dimension != 1)
        return DISP_E_BADINDEX;
    *bound = array->lowerBound;
    return S_OK;
}

inline HRESULT SafeArrayGetUBound(SAFEARRAY* array, unsigned dimension, LONG* bound)
{
    if (!array || !bound)
        return E_INVALIDARG;
    if (dimension != 1)
        return DISP_E_BADINDEX;
    *bound = array->lowerBound + static_cast<LONG>(array->elements.size()) - 1;
    return S_OK;
}

// *element gets the element with a reference of its own. Elements are stored as the IUnknown of the
// interface they are read back as (for an object with several interfaces that matters).
template <class Interface>
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* index, Interface** element)
{
    if (!array || !index || !element)
        return E_INVALIDARG;
    const LONG offset = *index - array->lowerBound;
    if (offset < 0 || offset >= static_cast<LONG>(array->elements.size()))
        return DISP_E_BADINDEX;
    IUnknown* e = array->elements[static_cast<std::size_t>(offset)];
    if (e)
        e->AddRef();
    *element = static_cast<Interface*>(e);
    return S_OK;
}

inline HRESULT SafeArrayDestroy(SAFEARRAY* array)
{
    if (!array)
        return S_OK;
    for (IUnknown* e : array->elements) {
        if (e)
            e->Release();
    }
    delete array;
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// Connection points: how an object hands its events to sinks that a client registers.

class IConnectionPoint : public IUnknown {
public:
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    // Keeps a reference on the sink until Unadvise; *cookie names the connection.
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;
};

class IConnectionPointContainer : public IUnknown {
public:
    virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;
};

// {B196B286-BAB4-101A-B69C-00AA00341D07}
inline constexpr IID IID_IConnectionPoint = {0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
// {B196B284-BAB4-101A-B69C-00AA00341D07}
inline constexpr IID IID_IConnectionPointContainer = {0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

// ---------------------------------------------------------------------------------------------
// Mobile broadband: the interfaces of the system's service that the communication library uses.

enum MBN_READY_STATE : std::int32_t {
    MBN_READY_STATE_OFF = 0,
    MBN_READY_STATE_INITIALIZED = 1,
    MBN_READY_STATE_SIM_NOT_INSERTED = 2,
    MBN_READY_STATE_BAD_SIM = 3,
    MBN_READY_STATE_FAILURE = 4,
    MBN_READY_STATE_NOT_ACTIVATED = 5,
    MBN_READY_STATE_DEVICE_LOCKED = 6,
    MBN_READY_STATE_DEVICE_BLOCKED = 7,
};

enum MBN_RADIO : std::int32_t {
    MBN_RADIO_OFF = 0,
    MBN_RADIO_ON = 1,
};

class IMbnRadio : public IUnknown {
public:
    virtual HRESULT get_SoftwareRadioState(MBN_RADIO* state) = 0;
    virtual HRESULT get_HardwareRadioState(MBN_RADIO* state) = 0;
    // Starts the change; the result arrives later through IMbnRadioEvents with *requestId.
    virtual HRESULT SetSoftwareRadioState(MBN_RADIO state, ULONG* requestId) = 0;
};

class IMbnInterface : public IUnknown {
public:
    // The caller frees the id with SysFreeString.
    virtual HRESULT get_InterfaceID(BSTR* id) = 0;
    virtual HRESULT GetReadyState(MBN_READY_STATE* state) = 0;
};

class IMbnInterfaceManager : public IUnknown {
public:
    virtual HRESULT GetInterface(LPCWSTR id, IMbnInterface** mbnInterface) = 0;
    // An array of IMbnInterface; the caller destroys it with SafeArrayDestroy.
    virtual HRESULT GetInterfaces(SAFEARRAY** interfaces) = 0;
};

class IMbnRadioEvents : public IUnknown {
public:
    virtual HRESULT OnRadioStateChange(IMbnRadio* radio) = 0;
    virtual HRESULT OnSetSoftwareRadioStateComplete(IMbnRadio* radio, ULONG requestId, HRESULT status) = 0;
};

// {BDFEE05B-4418-11DD-90ED-001C257CCFF1}
inline constexpr CLSID CLSID_MbnInterfaceManager = {0xBDFEE05B, 0x4418, 0x11DD, {0x90, 0xED, 0x00, 0x1C, 0x25, 0x7C, 0xCF, 0xF1}};
// {DCBBBAB6-201B-4BBB-AAEE-338E368AF6FA}
inline constexpr IID IID_IMbnInterfaceManager = {0xDCBBBAB6, 0x201B, 0x4BBB, {0xAA, 0xEE, 0x33, 0x8E, 0x36, 0x8A, 0xF6, 0xFA}};
// {DCBBBAB6-2001-4BBB-AAEE-338E368AF6FA}
inline constexpr IID IID_IMbnInterface = {0xDCBBBAB6, 0x2001, 0x4BBB, {0xAA, 0xEE, 0x33, 0x8E, 0x36, 0x8A, 0xF6, 0xFA}};
// {DCCCCAB6-201F-4BBB-AAEE-338E368AF6FA}
inline constexpr IID IID_IMbnRadio = {0xDCCCCAB6, 0x201F, 0x4BBB, {0xAA, 0xEE, 0x33, 0x8E, 0x36, 0x8A, 0xF6, 0xFA}};
// {DCDDDAB6-201F-4BBB-AAEE-338E368AF6FA}
inline constexpr IID IID_IMbnRadioEvents = {0xDCDDDAB6, 0x201F, 0x4BBB, {0xAA, 0xEE, 0x33, 0x8E, 0x36, 0x8A, 0xF6, 0xFA}};
