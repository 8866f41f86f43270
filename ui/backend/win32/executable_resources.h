// Skins and images compiled into the executable as Windows resources (the build writes them into
// a resource script instead of a byte array), found with FindResourceW on the executable itself.
#pragma once

#include "ui/resources.h"

namespace SkinUI {

class CExecutableResources : public CResourceModule {
  public:
    // A name of decimal digits is an integer id, any other name a string name (which Windows
    // compares without regard to case); types are string types ("XML", "PNG", "FILE") in any
    // case. The bytes live as long as the process.
    std::optional<std::string_view> Find(std::wstring_view name,
                                         std::wstring_view type) const override;
};

}  // namespace SkinUI
