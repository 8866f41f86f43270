// A platform that passes every call to another one and lets a test step in before each write,
// on the thread that writes. Tests use it to act at an exact point of a migration (a Cancel
// while the copy is half done) without racing against the worker.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "platform/platform.h"

class HookedPlatform : public platform::Platform {
  public:
    using WriteHook = std::function<void(platform::HANDLE file, platform::DWORD size)>;

    explicit HookedPlatform(std::unique_ptr<platform::Platform> inner) : inner_(std::move(inner)) {}

    // Called before every WriteFile and FlushFileBuffers, on the writing thread; set before the
    // platform is used.
    WriteHook beforeWrite;
    std::function<void(platform::HANDLE file)> beforeFlush;

    using BOOL = platform::BOOL;
    using DWORD = platform::DWORD;
    using HANDLE = platform::HANDLE;
    using UINT = platform::UINT;

    HANDLE CreateFileW(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                       DWORD flags) override {
        return inner_->CreateFileW(name, access, share, disposition, flags);
    }
    BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override {
        return inner_->DeviceIoControl(device, code, in, inSize, out, outSize, returned);
    }
    BOOL SetFilePointerEx(HANDLE file, int64_t distance, int64_t* position, DWORD method) override {
        return inner_->SetFilePointerEx(file, distance, position, method);
    }
    BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) override {
        return inner_->ReadFile(file, buffer, size, read);
    }
    BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) override {
        if (beforeWrite) beforeWrite(file, size);
        return inner_->WriteFile(file, buffer, size, written);
    }
    BOOL FlushFileBuffers(HANDLE file) override {
        if (beforeFlush) beforeFlush(file);
        return inner_->FlushFileBuffers(file);
    }
    BOOL CloseHandle(HANDLE handle) override { return inner_->CloseHandle(handle); }
    DWORD GetLastError() override { return inner_->GetLastError(); }
    void SetLastError(DWORD error) override { inner_->SetLastError(error); }
    BOOL DefineDosDeviceW(DWORD flags, const wchar_t* name, const wchar_t* target) override {
        return inner_->DefineDosDeviceW(flags, name, target);
    }
    UINT GetDriveTypeW(const wchar_t* root) override { return inner_->GetDriveTypeW(root); }
    BOOL GetDiskFreeSpaceExW(const wchar_t* root, platform::ULONGLONG* available,
                             platform::ULONGLONG* total, platform::ULONGLONG* free) override {
        return inner_->GetDiskFreeSpaceExW(root, available, total, free);
    }
    BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* name, DWORD nameSize, DWORD* serial,
                               DWORD* maxComponent, DWORD* flags, wchar_t* fileSystem,
                               DWORD fileSystemSize) override {
        return inner_->GetVolumeInformationW(root, name, nameSize, serial, maxComponent, flags,
                                             fileSystem, fileSystemSize);
    }
    UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) override {
        return inner_->GetSystemDirectoryW(buffer, size);
    }
    platform::HRESULT CoInitializeSecurity() override { return inner_->CoInitializeSecurity(); }
    platform::HRESULT CreateWbemLocator(std::unique_ptr<platform::WmiLocator>* locator) override {
        return inner_->CreateWbemLocator(locator);
    }
    platform::SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database,
                                       DWORD access) override {
        return inner_->OpenSCManagerW(machine, database, access);
    }
    platform::SC_HANDLE OpenServiceW(platform::SC_HANDLE manager, const wchar_t* name,
                                     DWORD access) override {
        return inner_->OpenServiceW(manager, name, access);
    }
    BOOL QueryServiceStatus(platform::SC_HANDLE service,
                            platform::SERVICE_STATUS* status) override {
        return inner_->QueryServiceStatus(service, status);
    }
    BOOL StartServiceW(platform::SC_HANDLE service, DWORD count, const wchar_t** args) override {
        return inner_->StartServiceW(service, count, args);
    }
    BOOL CloseServiceHandle(platform::SC_HANDLE handle) override {
        return inner_->CloseServiceHandle(handle);
    }
    intptr_t ShellExecuteW(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                           const wchar_t* directory, int show) override {
        return inner_->ShellExecuteW(verb, file, parameters, directory, show);
    }
    BOOL GetVersionExW(platform::OSVERSIONINFOEXW* info) override {
        return inner_->GetVersionExW(info);
    }
    void GetNativeSystemInfo(platform::SYSTEM_INFO* info) override {
        inner_->GetNativeSystemInfo(info);
    }
    UINT GetACP() override { return inner_->GetACP(); }
    BOOL GetPcieLinkProperties(const std::wstring& id, platform::PcieLink* link) override {
        return inner_->GetPcieLinkProperties(id, link);
    }
    DWORD GetTickCount() override { return inner_->GetTickCount(); }
    platform::LocalTime GetLocalTime() override { return inner_->GetLocalTime(); }
    void Sleep(DWORD milliseconds) override { inner_->Sleep(milliseconds); }
    BOOL QueryPerformanceCounter(int64_t* count) override {
        return inner_->QueryPerformanceCounter(count);
    }
    BOOL QueryPerformanceFrequency(int64_t* frequency) override {
        return inner_->QueryPerformanceFrequency(frequency);
    }
    HANDLE CreateMutexW(BOOL owner, const wchar_t* name) override {
        return inner_->CreateMutexW(owner, name);
    }
    HANDLE OpenMutexW(DWORD access, BOOL inherit, const wchar_t* name) override {
        return inner_->OpenMutexW(access, inherit, name);
    }

  private:
    std::unique_ptr<platform::Platform> inner_;
};
