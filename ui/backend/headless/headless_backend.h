// A backend without a display, for tests and benchmarks: windows render into RGBA images, the
// clock only moves when the test advances it, and input is synthesised by point or by control
// name. Nested loops (modal dialogs) run scripted steps queued with Post.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/backend/backend.h"

namespace SkinUI {
class CWindowWnd;
class CControlUI;
class CPaintManagerUI;
}  // namespace SkinUI

namespace SkinUI::headless {

// One text drawn: the rectangle asked for, the box of the glyphs, colour and font.
struct TextRun {
    std::wstring text;  // as laid out (after ellipsis), lines joined with '\n'
    Rect rect;
    Rect ink;
    uint32_t rgb = 0;
    TFontInfo font;
    unsigned style = 0;
};

class HeadlessWindow;

class HeadlessBackend : public IBackend {
  public:
    HeadlessBackend();
    ~HeadlessBackend() override;

    // Makes a headless backend the process's backend and returns it.
    static HeadlessBackend& Install();

    const char* Name() const override { return "headless"; }
    std::unique_ptr<INativeWindow> CreateNativeWindow(IWindowHost& host, const WindowParams& params,
                                                      INativeWindow* owner) override;
    uint32_t Now() const override { return clock_; }
    // Runs the next scripted step; with none left the session ends (a nested loop would
    // otherwise wait forever).
    bool WaitEvents(int timeoutMs) override;
    Size MeasureText(std::wstring_view text, const TFontInfo& font, int maxWidth,
                     unsigned style) override;
    Rect WorkArea() const override { return {0, 0, 1920, 1080}; }
    void ShowErrorBox(const std::wstring& caption, const std::wstring& text) override;

    // The clock moves forward by `ms`, firing every timer at its due time in order and
    // painting after each.
    void Advance(uint32_t ms);
    // A step for the loop that runs next (a modal dialog's, usually).
    void Post(std::function<void()> step);
    size_t PendingSteps() const { return steps_.size(); }

    // Synthetic input in client coordinates of a window; each call ends like a loop turn
    // (posted messages delivered, dirty windows laid out and painted).
    void MouseMove(CWindowWnd& window, Point pt);
    void MouseDown(CWindowWnd& window, Point pt);
    void MouseUp(CWindowWnd& window, Point pt);
    void Click(CWindowWnd& window, Point pt);
    void Wheel(CWindowWnd& window, Point pt, int delta);
    void Key(CWindowWnd& window, WPARAM key);
    // Clicks the middle of a control in its window; false when it is not visible there.
    bool ClickControl(const CControlUI* control);
    // The same by the control's name in a window's manager.
    bool ClickControl(const CPaintManagerUI& manager, std::wstring_view name);
    // The desktop asks the window to close (Alt+F4).
    void SystemClose(CWindowWnd& window);

    HeadlessWindow* WindowOf(const CWindowWnd& window) const;
    const std::vector<HeadlessWindow*>& Windows() const { return windows_; }
    const std::wstring& LastErrorBox() const { return lastErrorBox_; }

  private:
    friend class HeadlessWindow;
    void Settle();
    void Send(CWindowWnd& window, UINT message, WPARAM wParam, Point pt);

    uint32_t clock_ = 1000;
    std::deque<std::function<void()>> steps_;
    std::vector<HeadlessWindow*> windows_;
    std::wstring lastErrorBox_;
};

class HeadlessWindow : public INativeWindow {
  public:
    HeadlessWindow(HeadlessBackend& backend, IWindowHost& host, const WindowParams& params);
    ~HeadlessWindow() override;

    void Show(bool show, bool activate) override;
    bool IsShown() const override { return shown_; }
    Rect GetRect() const override { return rect_; }
    void Move(const Rect& screenRect) override;
    void SetTitle(const std::wstring& title) override { title_ = title; }
    void SetIcon(const TImageInfo& image) override { iconSize_ = {image.width, image.height}; }
    void SetRoundCorner(Size corner) override { roundCorner_ = corner; }
    // Without a pointer there is nothing to follow outside the window.
    void SetCapture(bool) override {}
    void Enable(bool enable) override { enabled_ = enable; }
    void Minimize() override { minimized_ = true; }
    bool IsMinimized() const override { return minimized_; }
    void Focus() override { focused_ = true; }
    void Paint(const std::function<void(ISurface&)>& painter) override;

    IWindowHost& Host() const { return host_; }
    WindowKind Kind() const { return params_.kind; }
    // What the window was created with, styles and menu included, as the backend received it.
    const WindowParams& Params() const { return params_; }
    const std::wstring& Title() const { return title_; }
    Size IconSize() const { return iconSize_; }
    Size RoundCorner() const { return roundCorner_; }
    bool IsFocused() const { return focused_; }
    bool IsEnabled() const { return enabled_; }
    int PaintCount() const { return paintCount_; }
    // The last painted frame: premultiplied ARGB, GetRect()'s size.
    const std::vector<uint32_t>& Pixels() const { return pixels_; }
    int Width() const { return frameSize_.cx; }
    int Height() const { return frameSize_.cy; }
    uint32_t PixelAt(int x, int y) const;
    const std::vector<TextRun>& TextRuns() const { return textRuns_; }
    // The text runs whose text contains `needle`.
    std::vector<TextRun> FindText(std::wstring_view needle) const;
    bool SavePng(const std::string& path) const;

  private:
    HeadlessBackend& backend_;
    IWindowHost& host_;
    const WindowParams params_;
    Rect rect_;
    std::wstring title_;
    Size iconSize_;
    Size roundCorner_;
    bool shown_ = false;
    bool minimized_ = false;
    bool focused_ = false;
    bool enabled_ = true;
    int paintCount_ = 0;
    Size frameSize_;
    std::vector<uint32_t> pixels_;
    std::vector<TextRun> textRuns_;
};

}  // namespace SkinUI::headless
