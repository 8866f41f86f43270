#include "ui/image_descriptor.h"

#include <gtest/gtest.h>

#include "ui/attribute_values.h"

namespace SkinUI {
namespace {

TEST(ImageDescriptor, BlanksAroundEqualsAndATrailingBlank) {
    TImageDescriptor d;
    EXPECT_TRUE(ParseImageDescriptor(L"res = '137' restype = 'png' ", d));
    EXPECT_EQ(d.name, L"137");
    EXPECT_EQ(d.type, L"png");
    EXPECT_FALSE(d.hasDest);
    EXPECT_FALSE(d.hasSource);
    EXPECT_EQ(d.fade, 255);
}

TEST(ImageDescriptor, BareNameAndEveryKey) {
    TImageDescriptor bare;
    EXPECT_TRUE(ParseImageDescriptor(L"logo.png", bare));
    EXPECT_EQ(bare.name, L"logo.png");
    EXPECT_TRUE(bare.type.empty());

    TImageDescriptor d;
    EXPECT_TRUE(ParseImageDescriptor(
        L"file='a.png' dest='1,2,3,4' source='5,6,7,8' corner='1,1,2,2' mask='#FF00FF' "
        L"fade='128' hole='true' xtiled='true' ytiled='false'",
        d));
    EXPECT_EQ(d.name, L"a.png");
    EXPECT_TRUE(d.hasDest);
    EXPECT_EQ(d.dest, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(d.source, (Rect{5, 6, 7, 8}));
    EXPECT_EQ(d.corner, (Rect{1, 1, 2, 2}));
    EXPECT_TRUE(d.hasMask);
    EXPECT_EQ(d.mask, 0xFF00FFu);
    EXPECT_EQ(d.fade, 128);
    EXPECT_TRUE(d.hole);
    EXPECT_TRUE(d.xtiled);
    EXPECT_FALSE(d.ytiled);

    TImageDescriptor plainMask;
    ParseImageDescriptor(L"mask='00ff00' fade='999'", plainMask);
    EXPECT_EQ(plainMask.mask, 0x00FF00u);
    EXPECT_EQ(plainMask.fade, 255) << "fade is kept within 0..255";
}

TEST(ImageDescriptor, UnknownKeysAndEmptyValuesAreIgnored) {
    // The misspelt `retype` of a skin leaves the type unset.
    TImageDescriptor d;
    EXPECT_TRUE(ParseImageDescriptor(L"res='139' retype='png' source=''", d));
    EXPECT_EQ(d.name, L"139");
    EXPECT_TRUE(d.type.empty());
    EXPECT_FALSE(d.hasSource);
}

TEST(ImageDescriptor, MalformedItemEndsTheParseKeepingWhatWasRead) {
    const wchar_t* broken[] = {
        L"res='1' restype 'png' source='1,1,1,1'",  // no '='
        L"res='1' restype=png source='1,1,1,1'",    // no opening quote
        L"res='1' restype='png source='1,1,1,1",    // no closing quote (eats to the next one)
    };
    for (const wchar_t* text : broken) {
        TImageDescriptor d;
        EXPECT_FALSE(ParseImageDescriptor(text, d)) << text;
        EXPECT_EQ(d.name, L"1") << text;
        EXPECT_FALSE(d.hasSource) << text;
    }
}

TEST(ImageDescriptor, SecondDescriptorOverridesTheFirst) {
    TImageDescriptor d;
    ParseImageDescriptor(L"res='167' restype='png' dest='0,0,10,10'", d);
    ParseImageDescriptor(L"dest='0,0,40,8' source='0,0,20,8'", d);
    EXPECT_EQ(d.name, L"167");
    EXPECT_EQ(d.type, L"png");
    EXPECT_EQ(d.dest, (Rect{0, 0, 40, 8}));
    EXPECT_EQ(d.source, (Rect{0, 0, 20, 8}));
}

TEST(AttributeValues, NumbersRectanglesColours) {
    EXPECT_EQ(ParseRect(L"1, 2 ,3,4"), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(ParseRect(L"110,97"), (Rect{110, 97, 0, 0}));
    EXPECT_EQ(ParseRect(L"-5,0,0,0"), (Rect{-5, 0, 0, 0}));
    EXPECT_EQ(ParseSize(L"1024,728"), (Size{1024, 728}));
    EXPECT_EQ(ParseInt(L"99999999999"), 0x7FFFFFFF) << "saturates";
    EXPECT_EQ(ParseColor(L"#00515151"), 0x00515151u);
    EXPECT_EQ(ParseColor(L"#FFFEAD14"), 0xFFFEAD14u);
    EXPECT_EQ(ParseColor(L"FEAD14"), 0xFFFEAD14u) << "six digits are opaque";
    EXPECT_EQ(ParseColor(L"#12"), 0u);
    EXPECT_TRUE(ParseBool(L"true"));
    EXPECT_FALSE(ParseBool(L"TRUE"));
}

}  // namespace
}  // namespace SkinUI
