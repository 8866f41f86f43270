#include "ui/backend/win32/win32_backend.h"

#include "ui/backend/desktop.h"
#include "ui/backend/win32/win32_window.h"

namespace SkinUI::win32 {

namespace {

// Messages handled in one wait before the framework gets its turn (timers, painting), so that a
// stream of mouse moves cannot starve the progress tick.
constexpr int kMessagesPerWait = 64;

class Win32Backend : public IBackend {
  public:
    ~Win32Backend() override {
        // Every GDI+ object goes before GDI+ itself.
        text_.reset();
        if (token_) Gdiplus::GdiplusShutdown(token_);
    }

    bool Start(std::string* error) {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) {
            if (error) *error = "GDI+ did not start";
            token_ = 0;
            return false;
        }
        text_ = std::make_unique<TextEngine>();
        return true;
    }

    const char* Name() const override { return "win32"; }

    std::unique_ptr<INativeWindow> CreateNativeWindow(IWindowHost& host, const WindowParams& params,
                                                      INativeWindow* owner) override {
        HWND ownerHandle = owner ? static_cast<Win32Window*>(owner)->Handle() : nullptr;
        auto window = std::make_unique<Win32Window>(host, params, ownerHandle, *text_);
        if (!window->IsValid()) return nullptr;
        return window;
    }

    uint32_t Now() const override { return ::GetTickCount(); }

    bool WaitEvents(int timeoutMs) override {
        // Returns at once when input is already queued, even input an earlier peek has seen.
        ::MsgWaitForMultipleObjectsEx(0, nullptr,
                                      timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs),
                                      QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        for (int i = 0; i < kMessagesPerWait && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
             ++i) {
            if (message.message == WM_QUIT) return false;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        return true;
    }

    Size MeasureText(std::wstring_view text, const TFontInfo& font, int maxWidth,
                     unsigned style) override {
        return text_->Measure(text, font, maxWidth, style);
    }

    Rect WorkArea() const override {
        RECT area{0, 0, 1024, 768};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        return {area.left, area.top, area.right, area.bottom};
    }

    void ShowErrorBox(const std::wstring& caption, const std::wstring& text) override {
        ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    }

  private:
    ULONG_PTR token_ = 0;
    std::unique_ptr<TextEngine> text_;
};

}  // namespace

std::unique_ptr<IBackend> CreateWin32Backend(std::string* error) {
    auto backend = std::make_unique<Win32Backend>();
    if (!backend->Start(error)) return nullptr;
    return backend;
}

}  // namespace SkinUI::win32

std::unique_ptr<SkinUI::IBackend> SkinUI::CreateDesktopBackend(std::string* error) {
    return win32::CreateWin32Backend(error);
}
