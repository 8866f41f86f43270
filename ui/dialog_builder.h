// Builds a control tree from a skin: the Window element's attributes go to the paint manager,
// Font, Default and Image register resources, every other element becomes a control of that
// class (its class default first, then its own attributes, then its children).
#pragma once

#include <string>
#include <string_view>

#include "ui/control.h"
#include "ui/markup.h"

namespace SkinUI {

class CPaintManagerUI;

class IDialogBuilderCallback {
  public:
    virtual ~IDialogBuilderCallback() = default;
    // A control for an element name the framework does not know, or null to skip it.
    virtual CControlUI* CreateControl(const std::wstring& className) = 0;
};

// The control of a known markup class name ("Button", "VerticalLayout" ...), or null.
CControlUI* CreateControlByClassName(std::wstring_view className);

class CDialogBuilder {
  public:
    // `skin` is markup text (starting with '<'), a resource id in decimal (looked up with
    // `type`, "xml" for skins), or a file name (with an empty type). Null when the skin cannot
    // be loaded or has no control; the markup's error stays available.
    CControlUI* Create(std::wstring_view skin, std::wstring_view type = L"xml",
                       IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // Why the last Create failed, for the log.
    const std::wstring& GetLastError() const { return error_; }

    // Nesting deeper than this is refused: the tree is walked recursively.
    static constexpr int kMaxDepth = 128;

  private:
    CControlUI* Parse(CMarkupNode node, CControlUI* parent, CPaintManagerUI* manager, int depth);
    CMarkup markup_;
    IDialogBuilderCallback* callback_ = nullptr;
    std::wstring error_;
};

}  // namespace SkinUI
