#include "disk/wmi_query.h"

#include <cwchar>
#include <variant>

namespace disk {

using platform::WmiValue;

std::unique_ptr<platform::WmiEnumerator> RunWqlQuery(platform::WmiServices& services,
                                                     const std::wstring& query) {
    std::unique_ptr<platform::WmiEnumerator> objects;
    if (!platform::Succeeded(services.ExecQuery(L"WQL", query, kWqlFlags, &objects)))
        return nullptr;
    return objects;
}

WmiWalkEnd WalkWmiObjects(platform::WmiEnumerator& objects, size_t limit,
                          const std::function<void(const platform::WmiObject&)>& visit) {
    for (size_t visited = 0; visited < limit; ++visited) {
        platform::WmiObject object;
        platform::DWORD returned = 0;
        if (!platform::Succeeded(objects.Next(kWmiObjectTimeoutMs, &object, &returned)))
            return WmiWalkEnd::NextFailed;
        if (returned < 1) return WmiWalkEnd::NoMoreObjects;
        visit(object);
    }
    return WmiWalkEnd::LimitReached;
}

namespace {

WmiValue Property(const platform::WmiObject& object, const wchar_t* name) {
    WmiValue value;
    if (!platform::Succeeded(object.Get(name, &value))) return WmiValue();
    return value;
}

}  // namespace

std::optional<std::wstring> WmiText(const platform::WmiObject& object, const wchar_t* name) {
    const WmiValue value = Property(object, name);
    if (const auto* text = std::get_if<std::wstring>(&value)) return *text;
    if (const auto* number = std::get_if<int64_t>(&value)) return std::to_wstring(*number);
    return std::nullopt;
}

std::optional<int64_t> WmiInteger(const platform::WmiObject& object, const wchar_t* name) {
    const WmiValue value = Property(object, name);
    if (const auto* number = std::get_if<int64_t>(&value)) return *number;
    if (const auto* text = std::get_if<std::wstring>(&value))
        return std::wcstoll(text->c_str(), nullptr, 10);
    return std::nullopt;
}

std::wstring WqlEscape(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        escaped += c;
        if (c == L'\\') escaped += L'\\';
    }
    return escaped;
}

}  // namespace disk
