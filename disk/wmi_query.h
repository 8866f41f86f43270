// Walking what a WQL query returns and reading the properties the inventory needs, the same
// way for the controller map and the disk pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/wmi.h"

namespace disk {

// Every query of the inventory streams its objects forward once.
inline constexpr long kWqlFlags =
    platform::WBEM_FLAG_FORWARD_ONLY | platform::WBEM_FLAG_RETURN_IMMEDIATELY;
// How long the inventory waits for each object.
inline constexpr long kWmiObjectTimeoutMs = 10000;

// Runs `query` in WQL; null when it fails or hands back no enumerator.
std::unique_ptr<platform::WmiEnumerator> RunWqlQuery(platform::WmiServices& services,
                                                     const std::wstring& query);

enum class WmiWalkEnd {
    NextFailed,     // asking for the next object failed
    NoMoreObjects,  // fewer than one object came back
    LimitReached,
};

// Hands each object to `visit`, one at a time, until the enumerator fails, runs dry or `limit`
// objects have been visited.
WmiWalkEnd WalkWmiObjects(platform::WmiEnumerator& objects, size_t limit,
                          const std::function<void(const platform::WmiObject&)>& visit);

// A text property that is present and not null. A number reads as its decimal text.
std::optional<std::wstring> WmiText(const platform::WmiObject& object, const wchar_t* name);

// An integer property that is present and not null. Text reads as the decimal number it starts
// with.
std::optional<int64_t> WmiInteger(const platform::WmiObject& object, const wchar_t* name);

// Every backslash doubled, as a device id is written inside a WQL string.
std::wstring WqlEscape(const std::wstring& text);

}  // namespace disk
