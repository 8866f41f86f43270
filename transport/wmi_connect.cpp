#include "transport/wmi_connect.h"

#include "base/log.h"
#include "platform/platform.h"

namespace transport {

using namespace platform;

namespace {

void LogStep(const wchar_t* line) {
    if (line != nullptr) WriteLog(L"%ls", line);
}

}  // namespace

long WmiConnectFlagsFor(DWORD osMajorVersion) {
    return osMajorVersion >= 6 ? WBEM_FLAG_CONNECT_USE_MAX_WAIT : 0;
}

std::unique_ptr<WmiServices> ConnectWmiNamespace(const std::wstring& nameSpace, long connectFlags,
                                                 const WmiConnectLog& log) {
    LogStep(log.beforeLocator);
    std::unique_ptr<WmiLocator> locator;
    if (!Succeeded(CreateWbemLocator(&locator)) || !locator) {
        LogStep(log.locatorFailed);
        return nullptr;
    }

    LogStep(log.beforeConnect);
    std::unique_ptr<WmiServices> services;
    if (!Succeeded(locator->ConnectServer(nameSpace, connectFlags, &services)) || !services)
        return nullptr;

    LogStep(log.beforeBlanket);
    const HRESULT blanket =
        services->SetProxyBlanket(RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, RPC_C_AUTHN_LEVEL_CALL,
                                  RPC_C_IMP_LEVEL_IMPERSONATE, EOAC_NONE);
    if (!Succeeded(blanket)) {
        if (log.blanketFailed != nullptr)
            WriteLog(log.blanketFailed, static_cast<unsigned>(blanket));
        return nullptr;
    }
    LogStep(log.connected);
    return services;
}

}  // namespace transport
