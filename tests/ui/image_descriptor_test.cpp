#include "ui/image_descriptor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ui/attribute_values.h"

namespace SkinUI {
namespace {

// The descriptor parsed onto `d`, in one line: whether the parse went to the end, the name and
// type, and every other item that is set.
std::wstring Parsed(std::wstring_view text, TImageDescriptor d = {}) {
    const bool whole = ParseImageDescriptor(text, d);
    std::wostringstream out;
    const auto rect = [&](const wchar_t* key, const Rect& r) {
        out << L" " << key << L"=" << r.left << L"," << r.top << L"," << r.right << L","
            << r.bottom;
    };
    out << (whole ? L"" : L"broken ") << L"'" << d.name << L"' '" << d.type << L"'";
    if (d.hasDest) rect(L"dest", d.dest);
    if (d.hasSource) rect(L"source", d.source);
    if (d.corner != Rect{}) rect(L"corner", d.corner);
    if (d.hasMask) out << L" mask=" << std::hex << d.mask << std::dec;
    if (d.fade != 255) out << L" fade=" << d.fade;
    out << (d.hole ? L" hole" : L"") << (d.xtiled ? L" xtiled" : L"")
        << (d.ytiled ? L" ytiled" : L"");
    return out.str();
}

TEST(ImageDescriptor, EveryKeyBlanksUnknownKeysAndMalformedItems) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        // Blanks around the equals signs and a trailing blank.
        {L"res = '137' restype = 'png' ", L"'137' 'png'"},
        {L"logo.png", L"'logo.png' ''"},
        {L"file='a.png' dest='1,2,3,4' source='5,6,7,8' corner='1,1,2,2' mask='#FF00FF' "
         L"fade='128' hole='true' xtiled='true' ytiled='false'",
         L"'a.png' '' dest=1,2,3,4 source=5,6,7,8 corner=1,1,2,2 mask=ff00ff fade=128 hole xtiled"},
        // Fade is kept within 0..255.
        {L"mask='00ff00' fade='999'", L"'' '' mask=ff00"},
        // The misspelt `retype` of a skin leaves the type unset; an empty value is ignored.
        {L"res='139' retype='png' source=''", L"'139' ''"},
        // A malformed item ends the parse, keeping what was read before it: no '=', no opening
        // quote, no closing quote (which eats to the next one).
        {L"res='1' restype 'png' source='1,1,1,1'", L"broken '1' ''"},
        {L"res='1' restype=png source='1,1,1,1'", L"broken '1' ''"},
        {L"res='1' restype='png source='1,1,1,1", L"broken '1' 'png source='"},
    };
    for (const auto& [text, parsed] : cases)
        EXPECT_EQ(Parsed(text), parsed) << text;

    // A second descriptor parsed onto the first overrides what it names and keeps the rest.
    TImageDescriptor first;
    ParseImageDescriptor(L"res='167' restype='png' dest='0,0,10,10'", first);
    EXPECT_EQ(Parsed(L"dest='0,0,40,8' source='0,0,20,8'", first),
              L"'167' 'png' dest=0,0,40,8 source=0,0,20,8");
}

TEST(AttributeValues, NumbersRectanglesColours) {
    EXPECT_EQ(ParseRect(L"1, 2 ,3,4"), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(ParseRect(L"110,97"), (Rect{110, 97, 0, 0}));
    EXPECT_EQ(ParseRect(L"-5,0,0,0"), (Rect{-5, 0, 0, 0}));
    EXPECT_EQ(ParseSize(L"1024,728"), (Size{1024, 728}));
    EXPECT_EQ(ParseInt(L"99999999999"), 0x7FFFFFFF) << "saturates";
    EXPECT_EQ(ParseColor(L"#00515151"), 0x00515151u);
    EXPECT_EQ(ParseColor(L"FEAD14"), 0xFFFEAD14u) << "six digits are opaque";
    EXPECT_EQ(ParseColor(L"#12"), 0u);
    EXPECT_TRUE(ParseBool(L"true"));
    EXPECT_FALSE(ParseBool(L"TRUE"));
}

}  // namespace
}  // namespace SkinUI
