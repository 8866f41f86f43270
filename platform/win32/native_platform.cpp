// The real machine's backend, and whether the process has the rights to its drives.
#include "platform/native_platform.h"

#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"

namespace platform {

namespace {

// Without elevation Windows still hands out a drive for a few queries, but refuses it for
// reading and for the commands the inventory sends.
bool RunsAsAdministrator() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                    DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators))
        return true;  // cannot tell; the first drive decides
    ::BOOL member = FALSE;
    if (!::CheckTokenMembership(nullptr, administrators, &member)) member = TRUE;
    ::FreeSid(administrators);
    return member != FALSE;
}

bool FirstDriveRefused() {
    const HANDLE drive =
        ::CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (drive == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_ACCESS_DENIED;
    ::CloseHandle(drive);
    return false;
}

}  // namespace

std::unique_ptr<Platform> MakeNativePlatform(DriveAccess* access, std::wstring* why) {
    *access = DriveAccess::Readable;
    if (!RunsAsAdministrator() || FirstDriveRefused()) {
        *access = DriveAccess::NoRights;
        *why =
            L"administrator rights are needed to open the drives (\\\\.\\PhysicalDrive0: access "
            L"denied); run as administrator to read the drives; a simulated machine can be "
            L"chosen with TRAMSIK_MACHINE or --machine (a machine file, or \"demo\")";
    }
    return std::make_unique<win32::Win32Platform>();
}

}  // namespace platform
