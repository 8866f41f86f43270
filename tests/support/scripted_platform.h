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
    // Fills `out` (outSize bytes, as the caller passed them) and sets *returned; the result is
    // the control call's result.
    using Handler = std::function<platform::BOOL(const ScriptedRequest&, uint8_t* out,
                                                 platform::DWORD* returned)>;

    explicit ScriptedPlatform(Handler handler) : handler_(std::move(handler)) {}

    std::vector<ScriptedRequest> requests;
    std::vector<std::wstring> opened;
    int openHandles = 0;
    // Device names that fail to open.
    std::vector<std::wstring> missing;

    platform::HANDLE CreateFileW(const wchar_t* name, platform::DWORD, platform::DWORD,
                                 platform::DWORD, platform::DWORD) override {
        for (const auto& gone : missing) {
            if (gone == name) return Fail(platform::ERROR_FILE_NOT_FOUND);
        }
        opened.push_back(name);
        ++openHandles;
        const auto handle = reinterpret_cast<platform::HANDLE>(nextHandle_++);
        names_[handle] = name;
        return handle;
    }
    platform::BOOL DeviceIoControl(platform::HANDLE device, platform::DWORD code, void* in,
                                   platform::DWORD inSize, void* out, platform::DWORD outSize,
                                   platform::DWORD* returned) override {
        const auto found = names_.find(device);
        if (found == names_.end()) return Fail(platform::ERROR_INVALID_HANDLE), 0;
        ScriptedRequest request{found->second, code, {}, outSize};
        const auto* bytes = static_cast<const uint8_t*>(in);
        if (bytes != nullptr) request.in.assign(bytes, bytes + inSize);
        requests.push_back(request);
        platform::DWORD count = 0;
        const platform::BOOL ok = handler_(request, static_cast<uint8_t*>(out), &count);
        if (returned != nullptr) *returned = count;
        return ok;
    }
    platform::BOOL CloseHandle(platform::HANDLE handle) override {
        if (names_.erase(handle) == 0) return FALSE;
        --openHandles;
        return TRUE;
    }
    platform::DWORD GetLastError() override { return lastError_; }
    void SetLastError(platform::DWORD error) override { lastError_ = error; }

    // Nothing else exists on this machine.
    platform::BOOL SetFilePointerEx(platform::HANDLE, int64_t, int64_t*, platform::DWORD) override {
        return No();
    }
    platform::BOOL ReadFile(platform::HANDLE, void*, platform::DWORD, platform::DWORD*) override {
        return No();
    }
    platform::BOOL WriteFile(platform::HANDLE, const void*, platform::DWORD,
                             platform::DWORD*) override {
        return No();
    }
    platform::BOOL FlushFileBuffers(platform::HANDLE) override { return No(); }
    platform::BOOL DefineDosDeviceW(platform::DWORD, const wchar_t*, const wchar_t*) override {
        return No();
    }
    platform::UINT GetDriveTypeW(const wchar_t*) override { return platform::DRIVE_NO_ROOT_DIR; }
    platform::BOOL GetDiskFreeSpaceExW(const wchar_t*, platform::ULONGLONG*, platform::ULONGLONG*,
                                       platform::ULONGLONG*) override {
        return No();
    }
    platform::BOOL GetVolumeInformationW(const wchar_t*, wchar_t*, platform::DWORD,
                                         platform::DWORD*, platform::DWORD*, platform::DWORD*,
                                         wchar_t*, platform::DWORD) override {
        return No();
    }
    platform::UINT GetSystemDirectoryW(wchar_t*, platform::UINT) override { return 0; }
    platform::HRESULT CoInitializeSecurity() override { return platform::E_ACCESSDENIED; }
    platform::HRESULT CreateWbemLocator(std::unique_ptr<platform::WmiLocator>*) override {
        return platform::REGDB_E_CLASSNOTREG;
    }
    platform::SC_HANDLE OpenSCManagerW(const wchar_t*, const wchar_t*, platform::DWORD) override {
        return nullptr;
    }
    platform::SC_HANDLE OpenServiceW(platform::SC_HANDLE, const wchar_t*,
                                     platform::DWORD) override {
        return nullptr;
    }
    platform::BOOL QueryServiceStatus(platform::SC_HANDLE, platform::SERVICE_STATUS*) override {
        return No();
    }
    platform::BOOL StartServiceW(platform::SC_HANDLE, platform::DWORD, const wchar_t**) override {
        return No();
    }
    platform::BOOL CloseServiceHandle(platform::SC_HANDLE) override { return No(); }
    intptr_t ShellExecuteW(const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                           int) override {
        return platform::SE_ERR_FNF;
    }
    platform::BOOL GetVersionExW(platform::OSVERSIONINFOEXW*) override { return No(); }
    void GetNativeSystemInfo(platform::SYSTEM_INFO* info) override { *info = {}; }
    platform::UINT GetACP() override { return 1252; }
    platform::BOOL GetPcieLinkProperties(const std::wstring&, platform::PcieLink*) override {
        return No();
    }
    platform::DWORD GetTickCount() override { return 0; }
    platform::LocalTime GetLocalTime() override { return {}; }
    void Sleep(platform::DWORD) override {}
    platform::BOOL QueryPerformanceCounter(int64_t*) override { return No(); }
    platform::BOOL QueryPerformanceFrequency(int64_t*) override { return No(); }
    platform::HANDLE CreateMutexW(platform::BOOL, const wchar_t*) override { return nullptr; }
    platform::HANDLE OpenMutexW(platform::DWORD, platform::BOOL, const wchar_t*) override {
        return nullptr;
    }

  private:
    static constexpr platform::BOOL FALSE = 0, TRUE = 1;
    platform::HANDLE Fail(platform::DWORD error) {
        lastError_ = error;
        return platform::INVALID_HANDLE_VALUE;
    }
    platform::BOOL No() {
        lastError_ = platform::ERROR_NOT_SUPPORTED;
        return FALSE;
    }

    Handler handler_;
    std::map<platform::HANDLE, std::wstring> names_;
    uintptr_t nextHandle_ = 0x100;
    platform::DWORD lastError_ = 0;
};
