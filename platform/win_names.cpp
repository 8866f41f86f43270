#include "platform/win_names.h"

#include <algorithm>
#include <cwctype>

namespace platform {

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::wstring DeviceName(const wchar_t* path) {
    const std::wstring text = path ? path : L"";
    return text.rfind(L"\\\\.\\", 0) == 0 ? UpperCase(text.substr(4)) : std::wstring();
}

std::optional<uint32_t> NumberBetween(const std::wstring& text, const std::wstring& prefix,
                                      const std::wstring& suffix) {
    if (text.size() <= prefix.size() + suffix.size() || !text.starts_with(prefix) ||
        !text.ends_with(suffix))
        return std::nullopt;
    const std::wstring digits =
        text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
    if (digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), ::iswdigit))
        return std::nullopt;
    return static_cast<uint32_t>(std::stoul(digits));
}

bool CopyText(const std::wstring& text, wchar_t* buffer, DWORD size) {
    if (!buffer) return true;
    if (text.size() + 1 > size) return false;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return true;
}

UINT CopyPath(const std::wstring& path, wchar_t* buffer, UINT size) {
    if (!buffer || size < path.size() + 1) return static_cast<UINT>(path.size() + 1);
    CopyText(path, buffer, size);
    return static_cast<UINT>(path.size());
}

}  // namespace platform
