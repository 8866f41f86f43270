// What the version and language calls report on Linux: the kernel's version numbers, the
// distribution's name from os-release, the processor architecture, and the ANSI code page
// that the locale stands for.
#pragma once

#include <string>
#include <string_view>

#include "platform/linux/kernel_io.h"
#include "platform/win_types.h"

namespace platform::linux_backend {

struct OsFacts {
    DWORD major = 0, minor = 0, build = 0;
    std::wstring name;  // "Debian GNU/Linux 12 (bookworm)"
    WORD architecture = 0;
};

// PRETTY_NAME, else NAME and VERSION, of an os-release text; empty when it names nothing.
std::string OsReleaseName(std::string_view text);
// "6.1.0-18-amd64" -> 6, 1, 0.
void ParseKernelRelease(std::string_view release, DWORD* major, DWORD* minor, DWORD* build);
OsFacts ReadOsFacts(KernelIo& kernel);

// 936 for a Simplified Chinese locale (zh_CN, zh_SG, zh_Hans), else 1252; the locale is the
// first of LC_ALL, LC_CTYPE and LANG that is set.
UINT CodePageForLocale(std::string_view locale);
UINT ReadCodePage(KernelIo& kernel);

}  // namespace platform::linux_backend
