// Image descriptors from arbitrary text, applied twice (as a control's second descriptor
// overrides its first), and the value parsers they use.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/utf8.h"
#include "ui/attribute_values.h"
#include "ui/image_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    SkinUI::TImageDescriptor descriptor;
    SkinUI::ParseImageDescriptor(text, descriptor);
    SkinUI::ParseImageDescriptor(text, descriptor);
    if (descriptor.hasMask && descriptor.mask > 0xFFFFFF) __builtin_trap();
    SkinUI::ParseRect(text);
    SkinUI::ParseColor(text);
    SkinUI::ParseSize(text);
    return 0;
}
