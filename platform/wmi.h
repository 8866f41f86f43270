// The management-instrumentation side of the seam, shaped like its COM interfaces: a locator
// connects to a namespace, the connection runs a WQL text, the enumerator hands out one object
// at a time, and an object answers property reads. Each step can fail on its own, as the
// inventory's log lines tell apart.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/win_types.h"

namespace platform {

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT WBEM_S_FALSE = 1;
inline constexpr HRESULT WBEM_E_NOT_FOUND = static_cast<HRESULT>(0x80041002);
inline constexpr HRESULT WBEM_E_INVALID_NAMESPACE = static_cast<HRESULT>(0x8004100E);
inline constexpr HRESULT WBEM_E_INVALID_CLASS = static_cast<HRESULT>(0x80041010);
inline constexpr HRESULT WBEM_E_TRANSPORT_FAILURE = static_cast<HRESULT>(0x80041015);
inline constexpr HRESULT WBEM_E_INVALID_QUERY = static_cast<HRESULT>(0x80041017);
inline constexpr HRESULT WBEM_E_INVALID_QUERY_TYPE = static_cast<HRESULT>(0x80041018);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

inline constexpr bool Succeeded(HRESULT result) {
    return result >= 0;
}

inline constexpr long WBEM_FLAG_RETURN_IMMEDIATELY = 0x10;
inline constexpr long WBEM_FLAG_FORWARD_ONLY = 0x20;
inline constexpr long WBEM_FLAG_CONNECT_USE_MAX_WAIT = 0x80;

inline constexpr DWORD RPC_C_AUTHN_WINNT = 10;
inline constexpr DWORD RPC_C_AUTHZ_NONE = 0;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_DEFAULT = 0;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_CALL = 3;
inline constexpr DWORD RPC_C_IMP_LEVEL_IMPERSONATE = 3;
inline constexpr DWORD EOAC_NONE = 0;

// A property value: null, text, integer or byte array.
using WmiValue = std::variant<std::monostate, std::wstring, int64_t, std::vector<uint8_t>>;

class WmiObject {
  public:
    // WBEM_E_NOT_FOUND when the object has no such property (names compare without case).
    HRESULT Get(const std::wstring& name, WmiValue* value) const;
    void Set(const std::wstring& name, WmiValue value);

  private:
    std::vector<std::pair<std::wstring, WmiValue>> properties_;
};

class WmiEnumerator {
  public:
    virtual ~WmiEnumerator() = default;
    // Hands out the next object: S_OK with *returned 1, or WBEM_S_FALSE with *returned 0 when
    // there is none left.
    virtual HRESULT Next(long timeoutMs, WmiObject* object, DWORD* returned) = 0;
};

class WmiServices {
  public:
    virtual ~WmiServices() = default;
    virtual HRESULT SetProxyBlanket(DWORD authnService, DWORD authzService, DWORD authnLevel,
                                    DWORD impersonationLevel, DWORD capabilities) = 0;
    virtual HRESULT ExecQuery(const std::wstring& language, const std::wstring& query, long flags,
                              std::unique_ptr<WmiEnumerator>* enumerator) = 0;
};

class WmiLocator {
  public:
    virtual ~WmiLocator() = default;
    // `nameSpace` as the caller writes it, e.g. "\\.\root\cimv2" or "ROOT\WMI".
    virtual HRESULT ConnectServer(const std::wstring& nameSpace, long securityFlags,
                                  std::unique_ptr<WmiServices>* services) = 0;
};

}  // namespace platform
