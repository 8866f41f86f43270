// The SkinUI gallery: one window that shows every control class the program's skins use, a
// drop-down menu and a modal dialog, on the SDL backend. With --screenshot FILE it writes its
// first frames to FILE and ends, for the documentation; with --trace it prints every
// notification, for tests that drive it from outside.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/utf8.h"
#include "ui/backend/sdl/sdl_backend.h"
#include "ui/combo.h"
#include "ui/list.h"
#include "ui/menu.h"
#include "ui/message_loop.h"
#include "ui/progress.h"
#include "ui/window_impl_base.h"

const SkinUI::CResourceModule& GalleryResources();

namespace {

using namespace SkinUI;

// When the program started, for the time to its first frame.
const auto g_start = std::chrono::steady_clock::now();

constexpr UINT kProgressTimer = 1;
constexpr UINT kScreenshotTimer = 2;

struct SmartRow {
    const wchar_t* id;
    const wchar_t* name;
    const wchar_t* current;
    const wchar_t* raw;
    const wchar_t* status;
};

const SmartRow kRows[] = {
    {L"01", L"Read Error Rate 读取错误率", L"100", L"000000000000", L"OK"},
    {L"05", L"Reallocated Sectors 重新分配扇区", L"100", L"000000000000", L"OK"},
    {L"09", L"Power-On Hours 通电时间", L"98", L"0000000011C4", L"OK"},
    {L"0C", L"Power Cycle Count 通电次数", L"99", L"0000000002A7", L"OK"},
    {L"A1", L"Valid Spare Blocks 有效备用块", L"100", L"000000000064", L"OK"},
    {L"A9", L"Remaining Life 剩余寿命", L"97", L"000000000061", L"OK"},
    {L"AD", L"Erase Count 擦除计数", L"100", L"00000000004B", L"OK"},
    {L"AE", L"Unexpected Power Loss 意外断电", L"100", L"00000000001F", L"OK"},
    {L"BB", L"Uncorrectable Errors 无法校正错误", L"100", L"000000000000", L"OK"},
    {L"C2", L"Temperature 温度", L"67", L"002D00140021", L"OK"},
    {L"C4", L"Reallocation Events 重新分配事件", L"100", L"000000000000", L"OK"},
    {L"C7", L"CRC Errors CRC 错误", L"100", L"000000000000", L"OK"},
    {L"E8", L"Available Reserved Space 可用保留空间", L"100", L"000000000064", L"OK"},
    {L"F1", L"Total LBAs Written 总写入量", L"100", L"000000B2C4D0", L"OK"},
    {L"F2", L"Total LBAs Read 总读取量", L"100", L"000000C1E3A8", L"OK"},
};

const wchar_t* const kDrives[] = {L"Orvel SSD 512GB", L"Orvel NVMe 1TB", L"Sample HDD 1TB",
                                  L"USB Disk 64GB"};

class GalleryDialog : public WindowImplBase {
  public:
    explicit GalleryDialog(std::wstring text) : text_(std::move(text)) {}
    std::wstring GetWindowClassName() const override { return L"UIMessageDialog"; }
    std::wstring GetSkinFile() override { return L"3"; }
    UILIB_RESOURCETYPE GetResourceType() const override { return UILIB_RESOURCE; }
    void InitWindow() override {
        if (CControlUI* text = paintManager_.FindControl(L"msgbox")) text->SetText(text_);
    }
    void Notify(TNotifyUI& msg) override {
        if (msg.type != notify::kClick) return;
        if (msg.sender->GetName() == L"okBtn") Close(1);
        if (msg.sender->GetName() == L"cancelBtn") Close(2);
    }

  private:
    std::wstring text_;
};

class GalleryWindow : public WindowImplBase {
  public:
    GalleryWindow(std::string screenshot, bool trace)
        : screenshot_(std::move(screenshot)), trace_(trace) {}
    std::wstring GetWindowClassName() const override { return L"GalleryWnd"; }
    std::wstring GetSkinFile() override { return L"1"; }
    UILIB_RESOURCETYPE GetResourceType() const override { return UILIB_RESOURCE; }

    void InitWindow() override {
        if (auto* combo = dynamic_cast<CComboUI*>(paintManager_.FindControl(L"Drive_name"))) {
            for (const wchar_t* drive : kDrives) {
                auto* item = new CListLabelElementUI();
                item->SetText(drive);
                item->SetFixedHeight(24);
                combo->Add(item);
            }
            combo->SelectItem(0);
        }
        if (auto* list = dynamic_cast<CListUI*>(paintManager_.FindControl(L"listview"))) {
            for (const SmartRow& r : kRows) {
                auto* row = new CListTextElementUI();
                row->SetFixedHeight(26);
                list->Add(row);
                const wchar_t* cells[] = {r.id, r.name, r.current, r.raw, r.status};
                for (int column = 0; column < 5; ++column)
                    row->SetText(column, cells[column]);
            }
            list->SelectItem(2);
        }
        progress_ = dynamic_cast<CProgressUI*>(paintManager_.FindControl(L"progress3"));
        if (progress_) paintManager_.SetTimer(progress_, kProgressTimer, 1000);
        if (!screenshot_.empty())
            paintManager_.SetTimer(paintManager_.GetRoot(), kScreenshotTimer, 700);
    }

    void Notify(TNotifyUI& msg) override {
        const std::wstring& name = msg.sender ? msg.sender->GetName() : std::wstring();
        if (trace_ && msg.type == notify::kWindowInit) {
            auto elapsed = std::chrono::steady_clock::now() - g_start;
            std::printf(
                "first frame after %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
        }
        if (trace_ && msg.type != notify::kTimer) {
            std::printf("notify %s %s %ld\n", ToUtf8(msg.type).c_str(), ToUtf8(name).c_str(),
                        static_cast<long>(msg.wParam));
            std::fflush(stdout);
        }
        WindowImplBase::Notify(msg);
        if (msg.type == notify::kTimer && msg.wParam == kProgressTimer && progress_) {
            progress_->SetValue((progress_->GetValue() + 5) % 105);
        } else if (msg.type == notify::kTimer && msg.wParam == kScreenshotTimer) {
            paintManager_.KillTimer(msg.sender, kScreenshotTimer);
            if (trace_) TimeFrames();
            bool saved = sdl::SaveFramePng(*GetNative(), screenshot_);
            std::fprintf(stderr, "skinui-gallery: screenshot %s %s\n", screenshot_.c_str(),
                         saved ? "written" : "FAILED");
            exitCode_ = saved ? 0 : 1;
            Close(1);
        } else if (msg.type == notify::kClick && name == L"menubtn") {
            Rect button = msg.sender->GetPos();
            auto* menu = new CMenuWnd();
            menu->Init(nullptr, L"2", ClientToScreen({button.left, button.bottom}), &paintManager_,
                       &checks_, menu_align::kLeft | menu_align::kTop);
        } else if (msg.type == notify::kClick && name == L"dialog_btn") {
            ShowDialog(L"Continue? 是否继续？");
        }
    }

    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                bool& handled) override {
        handled = false;
        if (message == msg::kMenuClick) {
            auto* name = reinterpret_cast<std::wstring*>(wParam);
            bool about = *name == L"aboutDlg";
            delete name;
            if (about) ShowDialog(L"SkinUI gallery\n关于");
        }
        return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
    }

    void OnFinalMessage() override { CMessageLoop::PostQuit(exitCode_); }

  private:
    // Lays out, renders and presents the whole window a few times; prints the mean.
    void TimeFrames() {
        constexpr int kFrames = 20;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kFrames; ++i) {
            paintManager_.NeedUpdate();
            CMessageLoop::FlushAll();
        }
        auto elapsed = std::chrono::steady_clock::now() - start;
        std::printf("frame (layout, render, present): %.2f ms\n",
                    std::chrono::duration<double, std::milli>(elapsed).count() / kFrames);
    }

    void ShowDialog(const std::wstring& text) {
        GalleryDialog dialog(text);
        if (!dialog.Create(this, L"", style::kFrame, 0)) return;
        dialog.CenterWindow();
        UINT code = dialog.ShowModal();
        if (trace_) {
            std::printf("dialog %u\n", code);
            std::fflush(stdout);
        }
        if (CControlUI* label = paintManager_.FindControl(L"remain_time"))
            label->SetText(L"Dialog result 结果: " + std::to_wstring(code));
    }

    std::string screenshot_;
    bool trace_;
    CProgressUI* progress_ = nullptr;
    MenuCheckMap checks_;
    int exitCode_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    bool trace = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (std::strcmp(argv[i], "--trace") == 0) {
            trace = true;
        } else {
            std::fprintf(stderr, "usage: skinui-gallery [--screenshot FILE.png] [--trace]\n");
            return 2;
        }
    }
    std::string error;
    std::unique_ptr<IBackend> backend = sdl::CreateSdlBackend(&error);
    if (!backend) {
        std::fprintf(stderr, "skinui-gallery: no display: %s\n", error.c_str());
        return 2;
    }
    std::fprintf(stderr, "skinui-gallery: video driver %s\n", sdl::VideoDriver().c_str());
    SetBackend(std::move(backend));
    CPaintManagerUI::SetInstance(&GalleryResources());
    int code = 0;
    {
        GalleryWindow window(screenshot, trace);
        if (!window.Create(nullptr, L"SkinUI gallery", style::kFrame, 0)) return 1;
        window.CenterWindow();
        window.ShowWindow(true, true);
        code = CMessageLoop::Run();
    }
    SetBackend(nullptr);
    return code;
}
