#pragma once

// The few COM types the libraries' interfaces name (HRESULT results, GUIDs, IUnknown reference
// counting), kept with their Windows values and meaning so that callers and tests read the same
// codes as on the original platform. Shared by Telnira and Miravel; header only.

#include <cstdint>
#include <cstring>

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
