#include "ui/backend/headless/headless_backend.h"

#include <algorithm>
#include <cstdio>

#include "base/utf8.h"
#include "base/wide_chars.h"
#include "ui/backend/headless/png_writer.h"
#include "ui/backend/headless/text_metrics.h"
#include "ui/control.h"
#include "ui/message_loop.h"
#include "ui/paint_manager.h"
#include "ui/timer_queue.h"
#include "ui/window_wnd.h"

namespace SkinUI::headless {

namespace {

uint32_t Premultiply(uint32_t argb) {
    uint32_t a = argb >> 24;
    auto c = [a](uint32_t v) { return (v * a + 127) / 255; };
    return (a << 24) | (c((argb >> 16) & 0xFF) << 16) | (c((argb >> 8) & 0xFF) << 8) |
           c(argb & 0xFF);
}

// Source-over for premultiplied pixels.
uint32_t Blend(uint32_t dst, uint32_t src) {
    uint32_t a = src >> 24;
    if (a == 255) return src;
    if (a == 0) return dst;
    uint32_t inv = 255 - a;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, s + (d * inv + 127) / 255) << shift;
    }
    return out;
}

uint32_t Scale(uint32_t pixel, uint32_t alpha) {
    if (alpha == 255) return pixel;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= ((((pixel >> shift) & 0xFF) * alpha + 127) / 255) << shift;
    return out;
}

class HeadlessSurface : public ISurface {
  public:
    HeadlessSurface(std::vector<uint32_t>& pixels, Size size, std::vector<TextRun>& runs)
        : pixels_(pixels), size_(size), runs_(runs) {
        clips_.push_back({0, 0, size.cx, size.cy});
    }

    void PushClip(const Rect& rc) override { clips_.push_back(clips_.back().Intersect(rc)); }
    void PopClip() override {
        if (clips_.size() > 1) clips_.pop_back();
    }

    void FillRect(const Rect& rc, uint32_t argb) override {
        Rect area = rc.Intersect(clips_.back());
        uint32_t src = Premultiply(argb);
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                Put(x, y, src);
    }

    void DrawImage(const TImageInfo& image, const Rect& source, const Rect& dest,
                   uint8_t alpha) override {
        if (source.IsEmpty() || dest.IsEmpty()) return;
        Rect area = dest.Intersect(clips_.back());
        for (int y = area.top; y < area.bottom; ++y) {
            int sy = source.top + static_cast<int>(static_cast<long long>(y - dest.top) *
                                                   source.Height() / dest.Height());
            for (int x = area.left; x < area.right; ++x) {
                int sx = source.left + static_cast<int>(static_cast<long long>(x - dest.left) *
                                                        source.Width() / dest.Width());
                if (sx < 0 || sy < 0 || sx >= image.width || sy >= image.height) continue;
                Put(x, y, Scale(image.pixels[static_cast<size_t>(sy) * image.width + sx], alpha));
            }
        }
    }

    // Each glyph is a solid box in the text colour: tests see where text went without
    // depending on a font.
    void DrawText(std::wstring_view text, const Rect& rc, const TFontInfo& font, uint32_t rgb,
                  unsigned style) override {
        std::vector<TextLine> lines = LayoutText(text, font, rc.Width(), style);
        int lineHeight = LineHeight(font);
        int total = lineHeight * static_cast<int>(lines.size());
        int y = rc.top;
        if (style & text::kVCenter)
            y = rc.top + (rc.Height() - total) / 2;
        else if (style & text::kBottom)
            y = rc.bottom - total;
        TextRun run{L"", rc, {}, rgb & 0xFFFFFF, font, style};
        uint32_t colour = 0xFF000000u | rgb;
        for (const TextLine& line : lines) {
            int x = rc.left;
            if (style & text::kCenter)
                x = rc.left + (rc.Width() - line.width) / 2;
            else if (style & text::kRight)
                x = rc.right - line.width;
            for (const char32_t c : base::Characters(line.text)) {
                int advance = CharWidth(c, font);
                if (c != L' ') {
                    Rect glyph{x + 1, y + lineHeight / 5, x + advance - 1,
                               y + lineHeight - lineHeight / 5};
                    run.ink = run.ink.Union(glyph.Intersect(clips_.back()));
                    FillRect(glyph, colour);
                }
                x += advance;
            }
            if (!run.text.empty()) run.text += L'\n';
            run.text += line.text;
            y += lineHeight;
        }
        runs_.push_back(std::move(run));
    }

  private:
    void Put(int x, int y, uint32_t src) {
        uint32_t& dst = pixels_[static_cast<size_t>(y) * size_.cx + x];
        dst = Blend(dst, src);
    }

    std::vector<uint32_t>& pixels_;
    Size size_;
    std::vector<TextRun>& runs_;
    std::vector<Rect> clips_;
};

Point Centre(const Rect& rc) {
    return {rc.left + rc.Width() / 2, rc.top + rc.Height() / 2};
}

}  // namespace

HeadlessBackend::HeadlessBackend() = default;
HeadlessBackend::~HeadlessBackend() = default;

HeadlessBackend& HeadlessBackend::Install() {
    auto backend = std::make_unique<HeadlessBackend>();
    HeadlessBackend& ref = *backend;
    SetBackend(std::move(backend));
    CMessageLoop::ClearQuit();
    return ref;
}

// The owner is a window manager's hint; without one, the framework's own owner links suffice.
std::unique_ptr<INativeWindow> HeadlessBackend::CreateNativeWindow(IWindowHost& host,
                                                                   const WindowParams& params,
                                                                   INativeWindow* /*owner*/) {
    return std::make_unique<HeadlessWindow>(*this, host, params);
}

bool HeadlessBackend::WaitEvents(int timeoutMs) {
    (void)timeoutMs;
    if (steps_.empty()) return false;
    std::function<void()> step = std::move(steps_.front());
    steps_.pop_front();
    step();
    return true;
}

Size HeadlessBackend::MeasureText(std::wstring_view text, const TFontInfo& font, int maxWidth,
                                  unsigned style) {
    std::vector<TextLine> lines = LayoutText(text, font, maxWidth, style);
    Size size{0, LineHeight(font) * static_cast<int>(lines.size())};
    for (const TextLine& line : lines)
        size.cx = std::max(size.cx, line.width);
    return size;
}

void HeadlessBackend::ShowErrorBox(const std::wstring& caption, const std::wstring& text) {
    lastErrorBox_ = text;
    std::fprintf(stderr, "%s%s%s\n", ToUtf8(caption).c_str(), caption.empty() ? "" : ": ",
                 ToUtf8(text).c_str());
}

void HeadlessBackend::Advance(uint32_t ms) {
    uint32_t target = clock_ + ms;
    for (;;) {
        int wait = CTimerQueue::NextTimeout(clock_);
        if (wait < 0 || static_cast<uint32_t>(wait) > target - clock_) break;
        clock_ += static_cast<uint32_t>(wait);
        CMessageLoop::FireTimersAndFlush();
        CMessageLoop::DeliverPosted();
    }
    clock_ = target;
    Settle();
}

void HeadlessBackend::Post(std::function<void()> step) {
    steps_.push_back(std::move(step));
}

void HeadlessBackend::Settle() {
    CMessageLoop::DeliverPosted();
    CMessageLoop::FlushAll();
}

void HeadlessBackend::Send(CWindowWnd& window, UINT message, WPARAM wParam, Point pt) {
    if (!window.IsWindow()) return;
    window.OnNativeMessage(message, wParam, MakePointParam(pt));
    Settle();
}

void HeadlessBackend::MouseMove(CWindowWnd& window, Point pt) {
    Send(window, msg::kMouseMove, 0, pt);
}
void HeadlessBackend::MouseDown(CWindowWnd& window, Point pt) {
    Send(window, msg::kLButtonDown, 0, pt);
}
void HeadlessBackend::MouseUp(CWindowWnd& window, Point pt) {
    Send(window, msg::kLButtonUp, 0, pt);
}

void HeadlessBackend::Click(CWindowWnd& window, Point pt) {
    MouseMove(window, pt);
    MouseDown(window, pt);
    MouseUp(window, pt);
}

void HeadlessBackend::Wheel(CWindowWnd& window, Point pt, int delta) {
    MouseMove(window, pt);
    Send(window, msg::kMouseWheel, static_cast<WPARAM>(delta), pt);
}

void HeadlessBackend::Key(CWindowWnd& window, WPARAM key) {
    if (!window.IsWindow()) return;
    window.OnNativeMessage(msg::kKeyDown, key, 0);
    Settle();
}

bool HeadlessBackend::ClickControl(const CControlUI* control) {
    if (control == nullptr || !control->IsVisible() || control->GetManager() == nullptr)
        return false;
    CWindowWnd* window = control->GetManager()->GetPaintWindow();
    if (window == nullptr || !window->IsWindow()) return false;
    control->GetManager()->UpdateLayout();
    Click(*window, Centre(control->GetPos()));
    return true;
}

bool HeadlessBackend::ClickControl(const CPaintManagerUI& manager, std::wstring_view name) {
    return ClickControl(manager.FindControl(name));
}

void HeadlessBackend::SystemClose(CWindowWnd& window) {
    if (!window.IsWindow()) return;
    window.OnNativeMessage(msg::kSysCommand, syscmd::kClose, 0);
    Settle();
}

HeadlessWindow* HeadlessBackend::WindowOf(const CWindowWnd& window) const {
    return static_cast<HeadlessWindow*>(window.GetNative());
}

HeadlessWindow::HeadlessWindow(HeadlessBackend& backend, IWindowHost& host,
                               const WindowParams& params)
    : backend_(backend), host_(host), params_(params), rect_(params.rect), title_(params.title) {
    backend_.windows_.push_back(this);
}

HeadlessWindow::~HeadlessWindow() {
    std::erase(backend_.windows_, this);
}

void HeadlessWindow::Show(bool show, bool activate) {
    shown_ = show;
    if (show) minimized_ = false;
    if (show && activate) focused_ = true;
}

void HeadlessWindow::Move(const Rect& screenRect) {
    rect_ = screenRect;
}

void HeadlessWindow::Paint(const std::function<void(ISurface&)>& painter) {
    frameSize_ = {std::max(0, rect_.Width()), std::max(0, rect_.Height())};
    pixels_.assign(static_cast<size_t>(frameSize_.cx) * frameSize_.cy, 0xFF000000u);
    textRuns_.clear();
    HeadlessSurface surface(pixels_, frameSize_, textRuns_);
    painter(surface);
    ++paintCount_;
}

uint32_t HeadlessWindow::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= frameSize_.cx || y >= frameSize_.cy) return 0;
    return pixels_[static_cast<size_t>(y) * frameSize_.cx + x];
}

std::vector<TextRun> HeadlessWindow::FindText(std::wstring_view needle) const {
    std::vector<TextRun> found;
    for (const TextRun& run : textRuns_)
        if (run.text.find(needle) != std::wstring::npos) found.push_back(run);
    return found;
}

bool HeadlessWindow::SavePng(const std::string& path) const {
    return WritePng(path, pixels_, frameSize_.cx, frameSize_.cy);
}

}  // namespace SkinUI::headless
