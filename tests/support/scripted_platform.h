// A platform whose devices answer from a script the test writes: every device name opens,
// every control request goes to the test's handler, and everything else fails. Tests use it to
// look at the exact bytes a transport sends and to answer with replies a simulated drive would
// never give (short replies, refusals at a given step).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win_constants.h"

struct ScriptedRequest {
    std::wstring device;
    platform::DWORD code = 0;
    std::vector<uint8_t> in;  // the input bytes as sent
    platform::DWORD outSize = 0;
};

class ScriptedPlatform : public platform::Platform {
  public:
    using BOOL = platform::BOOL;
    using DWORD = platform::DWORD;
    using HANDLE = platform::HANDLE;
    using UINT = platform::UINT;
    using SC_HANDLE = platform::SC_HANDLE;
    using HRESULT = platform::HRESULT;
    using ULONGLONG = platform::ULONGLONG;

    // Fills `out` (outSize bytes, as the caller passed them) and sets *returned; the result is
    // the control call's result.
    using Handler = std::function<BOOL(const ScriptedRequest&, uint8_t* out, DWORD* returned)>;

    explicit ScriptedPlatform(Handler handler) : handler_(std::move(handler)) {}

    std::vector<ScriptedRequest> requests;
    std::vector<std::wstring> opened;
    int openHandles = 0;
    // Device names that fail to open.
    std::vector<std::wstring> missing;

    HANDLE CreateFileW(const wchar_t* name, DWORD, DWORD, DWORD, DWORD) override {
        for (const auto& gone : missing)
            if (gone == name) return Fail(platform::ERROR_FILE_NOT_FOUND);
        opened.push_back(name);
        ++openHandles;
        const auto handle = reinterpret_cast<HANDLE>(nextHandle_++);
        names_[handle] = name;
        return handle;
    }
    BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override {
        const auto found = names_.find(device);
        if (found == names_.end()) return Fail(platform::ERROR_INVALID_HANDLE), 0;
        ScriptedRequest request{found->second, code, {}, outSize};
        const auto* bytes = static_cast<const uint8_t*>(in);
        if (bytes != nullptr) request.in.assign(bytes, bytes + inSize);
        requests.push_back(request);
        DWORD count = 0;
        const BOOL ok = handler_(request, static_cast<uint8_t*>(out), &count);
        if (returned != nullptr) *returned = count;
        return ok;
    }
    BOOL CloseHandle(HANDLE handle) override {
        if (names_.erase(handle) == 0) return FALSE;
        --openHandles;
        return TRUE;
    }
    DWORD GetLastError() override { return lastError_; }
    void SetLastError(DWORD error) override { lastError_ = error; }

    // Nothing else exists on this machine.
    BOOL SetFilePointerEx(HANDLE, int64_t, int64_t*, DWORD) override { return No(); }
    BOOL ReadFile(HANDLE, void*, DWORD, DWORD*) override { return No(); }
    BOOL WriteFile(HANDLE, const void*, DWORD, DWORD*) override { return No(); }
    BOOL FlushFileBuffers(HANDLE) override { return No(); }
    BOOL DefineDosDeviceW(DWORD, const wchar_t*, const wchar_t*) override { return No(); }
    UINT GetDriveTypeW(const wchar_t*) override { return platform::DRIVE_NO_ROOT_DIR; }
    BOOL GetDiskFreeSpaceExW(const wchar_t*, ULONGLONG*, ULONGLONG*, ULONGLONG*) override {
        return No();
    }
    BOOL GetVolumeInformationW(const wchar_t*, wchar_t*, DWORD, DWORD*, DWORD*, DWORD*, wchar_t*,
                               DWORD) override {
        return No();
    }
    UINT GetSystemDirectoryW(wchar_t*, UINT) override { return 0; }
    HRESULT CoInitializeSecurity() override { return platform::E_ACCESSDENIED; }
    HRESULT CreateWbemLocator(std::unique_ptr<platform::WmiLocator>*) override {
        return platform::REGDB_E_CLASSNOTREG;
    }
    SC_HANDLE OpenSCManagerW(const wchar_t*, const wchar_t*, DWORD) override { return nullptr; }
    SC_HANDLE OpenServiceW(SC_HANDLE, const wchar_t*, DWORD) override { return nullptr; }
    BOOL QueryServiceStatus(SC_HANDLE, platform::SERVICE_STATUS*) override { return No(); }
    BOOL StartServiceW(SC_HANDLE, DWORD, const wchar_t**) override { return No(); }
    BOOL CloseServiceHandle(SC_HANDLE) override { return No(); }
    intptr_t ShellExecuteW(const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                           int) override {
        return platform::SE_ERR_FNF;
    }
    BOOL GetVersionExW(platform::OSVERSIONINFOEXW*) override { return No(); }
    void GetNativeSystemInfo(platform::SYSTEM_INFO* info) override { *info = {}; }
    UINT GetACP() override { return 1252; }
    BOOL GetPcieLinkProperties(const std::wstring&, platform::PcieLink*) override { return No(); }
    DWORD GetTickCount() override { return 0; }
    platform::LocalTime GetLocalTime() override { return {}; }
    void Sleep(DWORD) override {}
    BOOL QueryPerformanceCounter(int64_t*) override { return No(); }
    BOOL QueryPerformanceFrequency(int64_t*) override { return No(); }
    HANDLE CreateMutexW(BOOL, const wchar_t*) override { return nullptr; }
    HANDLE OpenMutexW(DWORD, BOOL, const wchar_t*) override { return nullptr; }

  private:
    static constexpr BOOL FALSE = 0, TRUE = 1;
    HANDLE Fail(DWORD error) {
        lastError_ = error;
        return platform::INVALID_HANDLE_VALUE;
    }
    BOOL No() {
        lastError_ = platform::ERROR_NOT_SUPPORTED;
        return FALSE;
    }

    Handler handler_;
    std::map<HANDLE, std::wstring> names_;
    uintptr_t nextHandle_ = 0x100;
    DWORD lastError_ = 0;
};
