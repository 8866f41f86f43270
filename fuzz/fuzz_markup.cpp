// Skin markup from arbitrary bytes: the parser, the walk over what it built, and the nested
// attribute lists of Default values must stay within their input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SkinUI::CMarkup doc;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!doc.LoadFromUtf8(text)) {
        // A failure always explains itself.
        if (doc.GetLastErrorMessage().empty() || doc.GetLastErrorLocation().empty())
            __builtin_trap();
        return 0;
    }
    // Walk every element without recursion, reading every attribute and list value.
    size_t visited = 0;
    SkinUI::CMarkupNode node = doc.GetRoot();
    while (node.IsValid()) {
        ++visited;
        for (const auto& attribute : node.GetAttributes()) {
            SkinUI::AttributeList nested;
            SkinUI::ParseAttributeList(attribute.second, nested);
            if (node.GetAttributeValue(attribute.first) == nullptr) __builtin_trap();
        }
        if (node.GetChild().IsValid()) {
            node = node.GetChild();
            continue;
        }
        while (node.IsValid() && !node.GetSibling().IsValid())
            node = node.GetParent();
        if (node.IsValid()) node = node.GetSibling();
    }
    if (visited == 0) __builtin_trap();
    return 0;
}
