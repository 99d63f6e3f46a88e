#pragma once

#include "SensorApi.h"
#include "SensorService.h"

// The Windows results the sensor objects give, and the mapping from the platform's sensor errors.
namespace miravel {

// Win32 error numbers (winerror.h) the sensor service reports inside HRESULTs.
inline constexpr std::uint32_t kWin32ReadFault = 30;
inline constexpr std::uint32_t kWin32NotSupported = 50;
inline constexpr std::uint32_t kWin32DeviceNotConnected = 1167;
inline constexpr std::uint32_t kWin32NotFound = 1168;
inline constexpr std::uint32_t kWin32Cancelled = 1223;
inline constexpr std::uint32_t kWin32AccessDisabledByPolicy = 1260;

inline constexpr HRESULT kHrNotFound = HRESULT_FROM_WIN32(kWin32NotFound);               // 0x80070490
inline constexpr HRESULT kHrCancelled = HRESULT_FROM_WIN32(kWin32Cancelled);             // 0x800704C7
inline constexpr HRESULT kHrDisabledByPolicy = HRESULT_FROM_WIN32(kWin32AccessDisabledByPolicy); // 0x800704EC
inline constexpr HRESULT kHrNotSupported = HRESULT_FROM_WIN32(kWin32NotSupported);       // 0x80070032
inline constexpr HRESULT kHrDeviceGone = HRESULT_FROM_WIN32(kWin32DeviceNotConnected);   // 0x8007048F
inline constexpr HRESULT kHrReadFault = HRESULT_FROM_WIN32(kWin32ReadFault);             // 0x8007001E
inline constexpr HRESULT kHrTypeMismatch = static_cast<HRESULT>(0x80020005u);            // DISP_E_TYPEMISMATCH
inline constexpr HRESULT kHrComNotInitialised = static_cast<HRESULT>(0x800401F0u);       // CO_E_NOTINITIALIZED
inline constexpr HRESULT kHrClassNotRegistered = static_cast<HRESULT>(0x80040154u);      // REGDB_E_CLASSNOTREG
inline constexpr HRESULT kHrNoAggregation = static_cast<HRESULT>(0x80040110u);           // CLASS_E_NOAGGREGATION

constexpr HRESULT hresultOf(tarvik::SensorError error)
{
    using tarvik::SensorError;
    switch (error) {
    case SensorError::None:
        return S_OK;
    case SensorError::NotFound:
        return kHrNotFound;
    case SensorError::Gone:
        return kHrDeviceGone;
    case SensorError::AccessDenied:
        return E_ACCESSDENIED;
    case SensorError::Cancelled:
        return kHrCancelled;
    case SensorError::DisabledByPolicy:
        return kHrDisabledByPolicy;
    case SensorError::ReadFailed:
        return kHrReadFault;
    case SensorError::NotSupported:
        return kHrNotSupported;
    case SensorError::InvalidValue:
        return E_INVALIDARG;
    }
    return E_FAIL;
}

} // namespace miravel
