// Builds the program's skins from the embedded resources on the headless backend, and reads
// their markup for what the built controls do not report (the image descriptors).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "skin/skin_resources.h"
#include "tests/ui/test_window.h"
#include "ui/image_cache.h"
#include "ui/image_descriptor.h"
#include "ui/markup.h"

namespace skin_test {

using namespace SkinUI;
using TestWindow = SkinUI::testing::TestWindow;

class SkinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend_ = &headless::HeadlessBackend::Install();
        CPaintManagerUI::SetInstance(&TramsikSkinResources());
    }
    void TearDown() override {
        CImageCache::Clear();
        CPaintManagerUI::SetInstance(nullptr);
    }
    void Open(TestWindow& window) {
        ASSERT_TRUE(window.Open());
        backend_->Advance(0);
    }
    headless::HeadlessBackend* backend_ = nullptr;
};

// The image descriptors of a skin by control name (unnamed elements under ""), with the images
// named inside Default attribute lists under "Default:<class>".
using DescriptorMap = std::multimap<std::wstring, TImageDescriptor>;

inline void CollectDescriptors(const std::wstring& owner, const AttributeList& attributes,
                               DescriptorMap& out) {
    for (const auto& [name, value] : attributes) {
        if (!name.ends_with(L"image")) continue;  // bkimage, foreimage, hotimage...
        TImageDescriptor d;
        ParseImageDescriptor(value, d);
        out.emplace(owner, d);
    }
}

inline DescriptorMap SkinDescriptors(int id) {
    DescriptorMap out;
    CMarkup markup;
    const auto bytes = TramsikSkinResources().Find(std::to_wstring(id), L"xml");
    if (!bytes || !markup.Load(FromUtf8(std::string(*bytes)))) return out;
    std::vector<CMarkupNode> pending{markup.GetRoot()};
    while (!pending.empty()) {
        CMarkupNode node = pending.back();
        pending.pop_back();
        const std::wstring* name = node.GetAttributeValue(L"name");
        if (node.GetName() == L"Default") {
            AttributeList list;
            if (name && node.GetAttributeValue(L"value"))
                ParseAttributeList(*node.GetAttributeValue(L"value"), list);
            CollectDescriptors(L"Default:" + (name ? *name : L""), list, out);
        } else {
            CollectDescriptors(name ? *name : L"", node.GetAttributes(), out);
        }
        for (CMarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling())
            pending.push_back(child);
    }
    return out;
}

// Near a colour: each channel within a few steps (the art is anti-aliased and palettised).
inline bool Near(uint32_t argb, uint32_t rgb) {
    for (int shift : {16, 8, 0}) {
        int a = static_cast<int>((argb >> shift) & 0xFF),
            b = static_cast<int>((rgb >> shift) & 0xFF);
        if (std::abs(a - b) > 12) return false;
    }
    return (argb >> 24) > 0xF0;
}

}  // namespace skin_test
