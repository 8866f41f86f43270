#include "platform/linux/os_facts.h"

#include <sstream>

#include "base/utf8.h"
#include "platform/linux/sysfs_text.h"
#include "platform/win_constants.h"

namespace platform::linux_backend {

namespace {

// A value of os-release: shell-quoted with single or double quotes, or bare.
std::string Unquote(std::string_view value) {
    value = TrimText(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        text += value[i];
    }
    return text;
}

struct ArchitectureName {
    std::string_view machine;
    WORD architecture;
};
constexpr ArchitectureName kArchitectures[] = {
    {"x86_64", PROCESSOR_ARCHITECTURE_AMD64}, {"i386", PROCESSOR_ARCHITECTURE_INTEL},
    {"i486", PROCESSOR_ARCHITECTURE_INTEL},   {"i586", PROCESSOR_ARCHITECTURE_INTEL},
    {"i686", PROCESSOR_ARCHITECTURE_INTEL},   {"aarch64", 12},
};

}  // namespace

std::string OsReleaseName(std::string_view text) {
    std::string pretty, name, version;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key(TrimText(std::string_view(line).substr(0, equals)));
        const std::string value = Unquote(std::string_view(line).substr(equals + 1));
        if (key == "PRETTY_NAME") pretty = value;
        if (key == "NAME") name = value;
        if (key == "VERSION") version = value;
    }
    if (!pretty.empty()) return pretty;
    return version.empty() ? name : name + " " + version;
}

void ParseKernelRelease(std::string_view release, DWORD* major, DWORD* minor, DWORD* build) {
    DWORD* const parts[] = {major, minor, build};
    for (DWORD* part : parts)
        *part = 0;
    size_t at = 0;
    // Each number ends at the first non-digit; the numbers after a missing dot stay 0.
    for (DWORD* part : parts) {
        bool digits = false;
        while (at < release.size() && release[at] >= '0' && release[at] <= '9' && *part < 100000) {
            *part = *part * 10 + static_cast<DWORD>(release[at++] - '0');
            digits = true;
        }
        if (!digits || at >= release.size() || release[at] != '.') return;
        ++at;
    }
}

OsFacts ReadOsFacts(KernelIo& kernel) {
    OsFacts facts;
    const KernelIo::SystemName system = kernel.Uname();
    ParseKernelRelease(system.release, &facts.major, &facts.minor, &facts.build);
    std::string name;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        if (const auto text = kernel.ReadText(path)) name = OsReleaseName(*text);
        if (!name.empty()) break;
    }
    facts.name = FromUtf8(name.empty() ? system.sysname : name);
    facts.architecture = PROCESSOR_ARCHITECTURE_INTEL;
    for (const ArchitectureName& known : kArchitectures)
        if (system.machine == known.machine) facts.architecture = known.architecture;
    return facts;
}

UINT CodePageForLocale(std::string_view locale) {
    constexpr UINT kChineseSimplified = 936, kWestern = 1252;
    for (const std::string_view prefix : {"zh_CN", "zh_SG", "zh_Hans"})
        if (locale.starts_with(prefix)) return kChineseSimplified;
    return kWestern;
}

UINT ReadCodePage(KernelIo& kernel) {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const auto value = kernel.Environment(variable);
        if (value && !value->empty()) return CodePageForLocale(*value);
    }
    return CodePageForLocale("");
}

}  // namespace platform::linux_backend
