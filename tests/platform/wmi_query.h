// Management queries as the tests run them: every object a query returns, and the properties
// that matter of one object as a single line, so that one comparison names what differs.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/utf8.h"
#include "platform/wmi.h"

inline std::vector<platform::WmiObject> QueryAll(platform::WmiServices& services,
                                                 const std::wstring& wql) {
    std::unique_ptr<platform::WmiEnumerator> enumerator;
    std::vector<platform::WmiObject> objects;
    if (!platform::Succeeded(services.ExecQuery(
            L"WQL", wql, platform::WBEM_FLAG_FORWARD_ONLY | platform::WBEM_FLAG_RETURN_IMMEDIATELY,
            &enumerator)))
        return objects;
    platform::WmiObject object;
    platform::DWORD returned = 0;
    while (enumerator->Next(10000, &object, &returned) == platform::S_OK && returned == 1)
        objects.push_back(object);
    EXPECT_EQ(returned, 0u);
    return objects;
}

// A text property; anything else shows as "?".
inline std::wstring Text(const platform::WmiObject& object, const std::wstring& name) {
    platform::WmiValue value;
    EXPECT_EQ(object.Get(name, &value), platform::S_OK) << ToUtf8(name);
    return std::holds_alternative<std::wstring>(value) ? std::get<std::wstring>(value) : L"?";
}

// "Name=value" for each of `names`, joined by "; ".
inline std::string Properties(const platform::WmiObject& object,
                              std::initializer_list<const wchar_t*> names) {
    std::wstring line;
    for (const wchar_t* name : names)
        line += (line.empty() ? L"" : L"; ") + std::wstring(name) + L"=" + Text(object, name);
    return ToUtf8(line);
}
