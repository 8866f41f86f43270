#include "app/main_frame/smart_list_view.h"

#include <array>
#include <string_view>

#include "app/pages/smart_rows.h"
#include "base/text_rows.h"
#include "base/ui_text.h"
#include "ui/list.h"
#include "ui/paint_manager.h"

namespace app {

using disk::AttributeNameTables;
using disk::DriveRecord;

namespace {

constexpr int kSmartRowHeight = 40;

// The header items whose texts follow the language, in column order from the second column.
constexpr std::array<std::wstring_view, 6> kTranslatedHeaders = {
    L"Description", L"Current", L"Worst", L"Threshold", L"Raw", L"Status"};

SkinUI::CListUI* SmartList(SkinUI::CPaintManagerUI& manager) {
    return dynamic_cast<SkinUI::CListUI*>(manager.FindControl(L"listview"));
}

}  // namespace

PowerOnTexts FillSmartList(SkinUI::CPaintManagerUI& manager, const DriveRecord* record,
                           const AttributeNameTables& names) {
    SkinUI::CListUI* list = SmartList(manager);
    if (list != nullptr) list->RemoveAll();
    if (record == nullptr) return {};
    const SmartTable table = BuildSmartTable(*record, names);
    if (list != nullptr) {
        for (const SmartRowTexts& texts : table.Rows) {
            auto* row = new SkinUI::CListTextElementUI();
            row->SetFixedHeight(kSmartRowHeight);
            // A row of id 0 or 0xFF comes with empty texts and stays an empty row.
            for (size_t column = 0; column < texts.size(); ++column)
                row->SetText(static_cast<int>(column), texts[column]);
            list->Add(row);
        }
    }
    return PowerOnTextsOf(*record, table);
}

void SetSmartHeaderTexts(SkinUI::CPaintManagerUI& manager) {
    for (size_t i = 0; i < kTranslatedHeaders.size(); ++i) {
        if (SkinUI::CControlUI* header = manager.FindControl(kTranslatedHeaders[i]))
            header->SetText(GetUiText(text_rows::kSmartHeaderFirst + static_cast<int>(i)));
    }
}

}  // namespace app
