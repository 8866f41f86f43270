#include "platform/wmi.h"

#include <algorithm>
#include <cwctype>

namespace platform {

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

}  // namespace

HRESULT WmiObject::Get(const std::wstring& name, WmiValue* value) const {
    for (const auto& [property, content] : properties_) {
        if (!SameName(property, name)) continue;
        *value = content;
        return S_OK;
    }
    return WBEM_E_NOT_FOUND;
}

void WmiObject::Set(const std::wstring& name, WmiValue value) {
    for (auto& [property, content] : properties_) {
        if (!SameName(property, name)) continue;
        content = std::move(value);
        return;
    }
    properties_.emplace_back(name, std::move(value));
}

}  // namespace platform
