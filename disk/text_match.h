// Whether a text starts with, or contains, any of a list of words: how models, firmware
// revisions and controller names are recognised.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <span>
#include <string_view>

namespace disk {

inline bool StartsWithAny(std::wstring_view text, std::span<const std::wstring_view> prefixes) {
    return std::ranges::any_of(prefixes, [&](std::wstring_view p) { return text.starts_with(p); });
}
inline bool StartsWithAny(std::wstring_view text,
                          std::initializer_list<std::wstring_view> prefixes) {
    return StartsWithAny(text, std::span(prefixes.begin(), prefixes.size()));
}

inline bool ContainsAny(std::wstring_view text, std::span<const std::wstring_view> parts) {
    return std::ranges::any_of(
        parts, [&](std::wstring_view p) { return text.find(p) != std::wstring_view::npos; });
}
inline bool ContainsAny(std::wstring_view text, std::initializer_list<std::wstring_view> parts) {
    return ContainsAny(text, std::span(parts.begin(), parts.size()));
}

}  // namespace disk
