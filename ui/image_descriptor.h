// Image descriptors: the values of bkimage, normalimage, foreimage and the other image
// attributes. Either a bare name, or items key='value' separated by blanks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/ui_types.h"

namespace SkinUI {

struct TImageDescriptor {
    std::wstring name;  // the file name, or the resource id in decimal
    std::wstring type;  // resource type; empty for a file
    bool hasDest = false;
    Rect dest;  // inside the control's rectangle
    bool hasSource = false;
    Rect source;  // part of the picture
    Rect corner;  // nine-slice borders of the source
    bool hasMask = false;
    uint32_t mask = 0;  // 0xRRGGBB treated as transparent
    uint8_t fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
};

// Applies the descriptor's items onto `io`, so a second call overrides what a first one set.
// Items with an empty value and unknown keys are ignored; a malformed item ends the parse and
// the items before it stay applied. Returns false when it stopped at a malformed item.
bool ParseImageDescriptor(std::wstring_view text, TImageDescriptor& io);

}  // namespace SkinUI
