#include "ui/image_descriptor.h"

#include <algorithm>

#include "ui/attribute_values.h"

namespace SkinUI {

namespace {

uint32_t ParseMask(std::wstring_view value) {
    if (!value.empty() && value.front() == L'#') value.remove_prefix(1);
    uint32_t mask = 0;
    for (size_t i = 0; i < value.size() && i < 8; ++i) {
        wchar_t c = value[i];
        int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                    : c >= L'a' && c <= L'f' ? c - L'a' + 10
                    : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                             : -1;
        if (digit < 0) break;
        mask = (mask << 4) | static_cast<uint32_t>(digit);
    }
    return mask & 0x00FFFFFFu;
}

using Apply = void (*)(TImageDescriptor&, std::wstring_view);

struct Key {
    std::wstring_view name;
    Apply apply;
};

const Key kKeys[] = {
    {L"file", [](TImageDescriptor& d, std::wstring_view v) { d.name = v, d.type.clear(); }},
    {L"res", [](TImageDescriptor& d, std::wstring_view v) { d.name = v; }},
    {L"restype", [](TImageDescriptor& d, std::wstring_view v) { d.type = v; }},
    {L"dest",
     [](TImageDescriptor& d, std::wstring_view v) { d.dest = ParseRect(v), d.hasDest = true; }},
    {L"source",
     [](TImageDescriptor& d, std::wstring_view v) { d.source = ParseRect(v), d.hasSource = true; }},
    {L"corner", [](TImageDescriptor& d, std::wstring_view v) { d.corner = ParseRect(v); }},
    {L"mask",
     [](TImageDescriptor& d, std::wstring_view v) { d.mask = ParseMask(v), d.hasMask = true; }},
    {L"fade",
     [](TImageDescriptor& d, std::wstring_view v) {
         d.fade = static_cast<uint8_t>(std::clamp(ParseInt(v), 0, 255));
     }},
    {L"hole", [](TImageDescriptor& d, std::wstring_view v) { d.hole = ParseBool(v); }},
    {L"xtiled", [](TImageDescriptor& d, std::wstring_view v) { d.xtiled = ParseBool(v); }},
    {L"ytiled", [](TImageDescriptor& d, std::wstring_view v) { d.ytiled = ParseBool(v); }},
};

}  // namespace

bool ParseImageDescriptor(std::wstring_view text, TImageDescriptor& io) {
    if (text.find(L'=') == std::wstring_view::npos) {
        // A bare name; the blanks around it are not part of it.
        size_t first = 0, last = text.size();
        while (first < last && IsBlank(text[first]))
            ++first;
        while (last > first && IsBlank(text[last - 1]))
            --last;
        if (first < last) io.name = text.substr(first, last - first);
        return true;
    }
    size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
    };
    for (;;) {
        skipBlanks();
        if (pos >= text.size()) return true;
        size_t keyStart = pos;
        while (pos < text.size() && text[pos] != L'=' && !IsBlank(text[pos]))
            ++pos;
        std::wstring_view key = text.substr(keyStart, pos - keyStart);
        skipBlanks();
        if (pos >= text.size() || text[pos] != L'=') return false;
        ++pos;
        skipBlanks();
        if (pos >= text.size() || text[pos] != L'\'') return false;
        size_t valueStart = ++pos;
        size_t close = text.find(L'\'', valueStart);
        if (close == std::wstring_view::npos) return false;
        pos = close + 1;
        std::wstring_view value = text.substr(valueStart, close - valueStart);
        if (value.empty() || key.empty()) continue;
        for (const Key& k : kKeys) {
            if (k.name == key) {
                k.apply(io, value);
                break;
            }
        }
    }
}

}  // namespace SkinUI
