#include "disk/winmgmt.h"

#include "base/log.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace disk {

namespace {

using namespace platform;

constexpr const wchar_t* kServiceName = L"Winmgmt";
constexpr DWORD kShortWaitEnd = 400, kShortWaitStep = 100;
constexpr DWORD kLongWait = 500;
constexpr int kLongWaits = 10;

// The manager and the service handle, closed together on every way out.
class ServiceHandles {
  public:
    explicit ServiceHandles(DWORD serviceAccess) {
        manager_ = OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE);
        if (manager_) service_ = OpenServiceW(manager_, kServiceName, serviceAccess);
    }
    ~ServiceHandles() {
        if (service_) CloseServiceHandle(service_);
        if (manager_) CloseServiceHandle(manager_);
    }
    ServiceHandles(const ServiceHandles&) = delete;
    ServiceHandles& operator=(const ServiceHandles&) = delete;

    bool Open() const { return service_ != nullptr; }
    bool Query(SERVICE_STATUS* status) const { return QueryServiceStatus(service_, status) != 0; }
    void Start() const { StartServiceW(service_, 0, nullptr); }

  private:
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};

}  // namespace

bool IsWinmgmtRunning() {
    const ServiceHandles handles(SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    return handles.Open() && handles.Query(&status) && status.dwCurrentState == SERVICE_RUNNING;
}

bool StartWinmgmt() {
    const ServiceHandles handles(SERVICE_QUERY_STATUS | SERVICE_START);
    SERVICE_STATUS status{};
    if (!handles.Open() || !handles.Query(&status)) return false;
    if (status.dwCurrentState == SERVICE_RUNNING) return true;

    WriteLog(L"sStatus.dwCurrentState:%08X", status.dwCurrentState);
    WriteLog(L"StartService - 1");
    handles.Start();
    WriteLog(L"QueryServiceStatus - 1");
    handles.Query(&status);

    // A short wait first: a service that is only slow comes up within 600 ms.
    for (DWORD wait = 0; wait < kShortWaitEnd; wait += kShortWaitStep) {
        if (status.dwCurrentState == SERVICE_RUNNING) {
            WriteLog(L"StartService Completed : SERVICE_RUNNING");
            return true;
        }
        Sleep(wait);
        WriteLog(L"Sleep");
        if (!handles.Query(&status)) break;
    }

    // A disabled service cannot start; make it start automatically and ask again. The tool
    // runs on its own and is not waited for.
    ShellExecuteW(nullptr, L"sc", L"config Winmgmt start= auto", nullptr, SW_HIDE);

    WriteLog(L"QueryServiceStatus - 2");
    if (!handles.Query(&status)) return false;
    for (int pass = 0;; ++pass) {
        WriteLog(L"StartService - 2");
        handles.Start();
        if (pass == kLongWaits) return false;
        if (status.dwCurrentState == SERVICE_RUNNING) break;
        Sleep(kLongWait);
        WriteLog(L"Sleep");
        if (!handles.Query(&status)) return false;
    }
    WriteLog(L"StartService Completed : SERVICE_RUNNING");
    return true;
}

}  // namespace disk
