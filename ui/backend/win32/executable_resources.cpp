#include "ui/backend/win32/executable_resources.h"

#include <windows.h>

#include <cwctype>
#include <string>

namespace SkinUI {

namespace {

// Resource ids are 16-bit; a longer run of digits can only be a string name.
constexpr unsigned long kLargestId = 0xFFFF;

bool IsIntegerId(std::wstring_view name, WORD& id) {
    if (name.empty() || name.size() > 5) return false;
    unsigned long value = 0;
    for (wchar_t c : name) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned long>(c - L'0');
    }
    if (value == 0 || value > kLargestId) return false;
    id = static_cast<WORD>(value);
    return true;
}

// The resource compiler stores user-defined type names upper case.
std::wstring Upper(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return out;
}

}  // namespace

std::optional<std::string_view> CExecutableResources::Find(std::wstring_view name,
                                                           std::wstring_view type) const {
    if (name.empty() || type.empty()) return std::nullopt;
    const std::wstring typeName = Upper(type);
    const std::wstring stringName(name);
    WORD id = 0;
    const wchar_t* resourceName = IsIntegerId(name, id) ? MAKEINTRESOURCEW(id) : stringName.c_str();
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, resourceName, typeName.c_str());
    if (info == nullptr) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, info);
    const DWORD size = SizeofResource(module, info);
    const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
    if (bytes == nullptr) return std::nullopt;
    return std::string_view(static_cast<const char*>(bytes), size);
}

}  // namespace SkinUI
