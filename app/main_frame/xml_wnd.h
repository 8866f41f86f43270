// The skinned main window's base: the window base of the framework under the window class name
// the program registers its main window with.
#pragma once

#include <string>

#include "ui/window_impl_base.h"

namespace app {

class XMLWnd : public SkinUI::WindowImplBase {
  public:
    std::wstring GetWindowClassName() const override { return L"XMLWnd"; }
};

}  // namespace app
