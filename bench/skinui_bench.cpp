// SkinUI on the headless backend: building a 1024x728 skin with 30 pictures and 60 texts, and
// laying out and rendering one frame of it.
#include <benchmark/benchmark.h>

#include <string>

#include "ui/backend/headless/headless_backend.h"
#include "ui/backend/headless/png_writer.h"
#include "ui/dialog_builder.h"
#include "ui/image_cache.h"
#include "ui/message_loop.h"
#include "ui/window_impl_base.h"

namespace {

using namespace SkinUI;

// A main-window-sized skin: a title band, 30 image buttons and 60 labels in rows.
std::wstring FrameSkin() {
    std::wstring skin =
        L"<Window size=\"1024,728\" caption=\"0,0,0,34\" roundcorner=\"3,3\">"
        L"<Font name=\"微软雅黑\" size=\"14\" default=\"true\"/>"
        L"<Default name=\"Label\" value=\"autocalcwidth=&quot;true&quot; "
        L"textcolor=&quot;#00515151&quot;\"/>"
        L"<VerticalLayout bkcolor=\"#FFF3F5F7\" inset=\"10,0,10,10\" childpadding=\"6\">"
        L"<HorizontalLayout height=\"34\" bkcolor=\"#FF1E2A38\"><Label text=\"Tramsik "
        L"固态硬盘工具\" textcolor=\"#00FFFFFF\"/></HorizontalLayout>";
    for (int row = 0; row < 10; ++row) {
        skin +=
            L"<HorizontalLayout height=\"56\" childpadding=\"8\" bkcolor=\"#FFFFFFFF\" "
            L"inset=\"8,8,8,8\">";
        for (int i = 0; i < 3; ++i)
            skin += L"<Button width=\"96\" text=\"Button " + std::to_wstring(row * 3 + i) +
                    L"\" normalimage=\"res='" + std::to_wstring(900 + (row * 3 + i) % 3) +
                    L"' restype='png' corner='4,4,4,4'\"/>";
        for (int i = 0; i < 6; ++i)
            skin += L"<Label text=\"Serial No. : S3Z9NB0K" + std::to_wstring(row * 6 + i) +
                    L" 固件 2B6Q\"/>";
        skin += L"</HorizontalLayout>";
    }
    skin += L"</VerticalLayout></Window>";
    return skin;
}

const CResourceModule& Pictures() {
    static const std::string pictures[3] = {
        headless::EncodePng(std::vector<uint32_t>(96 * 32, 0xFFFFFFFF), 96, 32),
        headless::EncodePng(std::vector<uint32_t>(96 * 32, 0xFFFEAD14), 96, 32),
        headless::EncodePng(std::vector<uint32_t>(96 * 32, 0x80E1E4E8), 96, 32),
    };
    static const CResourceModule module = [] {
        CResourceModule m;
        for (int i = 0; i < 3; ++i)
            m.Add(std::to_wstring(900 + i), L"png", pictures[i]);
        return m;
    }();
    return module;
}

class FrameWindow : public WindowImplBase {
  public:
    std::wstring GetSkinFile() override { return FrameSkin(); }
    UILIB_RESOURCETYPE GetResourceType() const override { return UILIB_RESOURCE; }
};

void BM_SkinUI_BuildSkin(benchmark::State& state) {
    headless::HeadlessBackend::Install();
    CPaintManagerUI::SetInstance(&Pictures());
    std::wstring skin = FrameSkin();
    for (auto _ : state) {
        CPaintManagerUI manager;
        CDialogBuilder builder;
        CControlUI* root = builder.Create(skin, L"xml", nullptr, &manager);
        manager.AttachDialog(root);
        benchmark::DoNotOptimize(root);
    }
}
BENCHMARK(BM_SkinUI_BuildSkin)->Unit(benchmark::kMicrosecond);

void BM_SkinUI_LayoutAndRenderFrame(benchmark::State& state) {
    auto& backend = headless::HeadlessBackend::Install();
    CPaintManagerUI::SetInstance(&Pictures());
    FrameWindow window;
    window.Create(nullptr, L"bench", style::kFrame, 0);
    window.ShowWindow(true, true);
    backend.Advance(0);
    for (auto _ : state) {
        window.GetPaintManager().NeedUpdate();
        CMessageLoop::FlushAll();
    }
    state.counters["texts"] = static_cast<double>(backend.WindowOf(window)->TextRuns().size());
}
BENCHMARK(BM_SkinUI_LayoutAndRenderFrame)->Unit(benchmark::kMillisecond);

void BM_SkinUI_RenderFrame(benchmark::State& state) {
    auto& backend = headless::HeadlessBackend::Install();
    CPaintManagerUI::SetInstance(&Pictures());
    FrameWindow window;
    window.Create(nullptr, L"bench", style::kFrame, 0);
    window.ShowWindow(true, true);
    backend.Advance(0);
    for (auto _ : state) {
        window.GetPaintManager().Invalidate();
        CMessageLoop::FlushAll();
    }
}
BENCHMARK(BM_SkinUI_RenderFrame)->Unit(benchmark::kMillisecond);

}  // namespace
