// How a property value COM hands over reads into the seam's kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "platform/win32/wmi_variant.h"

#include <oleauto.h>

namespace {

using platform::WmiValue;
using platform::win32::WmiValueOf;

VARIANT Scalar(VARTYPE type, const std::function<void(VARIANT&)>& fill = nullptr) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = type;
    if (fill) fill(value);
    return value;
}

template <typename Element>
VARIANT Array(VARTYPE type, std::initializer_list<Element> elements, LONG lowerBound = 0) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_ARRAY | type;
    value.parray = ::SafeArrayCreateVector(type, lowerBound, static_cast<ULONG>(elements.size()));
    void* data = nullptr;
    ::SafeArrayAccessData(value.parray, &data);
    std::copy(elements.begin(), elements.end(), static_cast<Element*>(data));
    ::SafeArrayUnaccessData(value.parray);
    return value;
}

using Bytes = std::vector<uint8_t>;

TEST(WmiVariant, EachTypeReadsAsItsSeamKind) {
    struct Row {
        const char* what;
        std::function<VARIANT()> make;
        WmiValue expected;
    };
    const Row rows[] = {
        {"empty", [] { return Scalar(VT_EMPTY); }, std::monostate{}},
        {"null", [] { return Scalar(VT_NULL); }, std::monostate{}},
        {"text",
         [] {
             return Scalar(VT_BSTR, [](VARIANT& v) { v.bstrVal = ::SysAllocString(L"Wine Disk"); });
         },
         std::wstring(L"Wine Disk")},
        {"no text", [] { return Scalar(VT_BSTR); }, std::wstring()},
        {"signed byte", [] { return Scalar(VT_I1, [](VARIANT& v) { v.cVal = -5; }); }, int64_t{-5}},
        {"byte", [] { return Scalar(VT_UI1, [](VARIANT& v) { v.bVal = 200; }); }, int64_t{200}},
        {"short", [] { return Scalar(VT_I2, [](VARIANT& v) { v.iVal = -300; }); }, int64_t{-300}},
        {"unsigned short", [] { return Scalar(VT_UI2, [](VARIANT& v) { v.uiVal = 60000; }); },
         int64_t{60000}},
        {"long", [] { return Scalar(VT_I4, [](VARIANT& v) { v.lVal = -70000; }); },
         int64_t{-70000}},
        {"unsigned long", [] { return Scalar(VT_UI4, [](VARIANT& v) { v.ulVal = 4000000000u; }); },
         int64_t{4000000000}},
        {"int", [] { return Scalar(VT_INT, [](VARIANT& v) { v.intVal = -7; }); }, int64_t{-7}},
        {"unsigned int",
         [] { return Scalar(VT_UINT, [](VARIANT& v) { v.uintVal = 3000000000u; }); },
         int64_t{3000000000}},
        {"64-bit", [] { return Scalar(VT_I8, [](VARIANT& v) { v.llVal = -(int64_t{1} << 40); }); },
         -(int64_t{1} << 40)},
        {"unsigned 64-bit",
         [] { return Scalar(VT_UI8, [](VARIANT& v) { v.ullVal = uint64_t{1} << 40; }); },
         int64_t{1} << 40},
        {"true", [] { return Scalar(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }); },
         int64_t{1}},
        {"false", [] { return Scalar(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_FALSE; }); },
         int64_t{0}},
        {"real", [] { return Scalar(VT_R8, [](VARIANT& v) { v.dblVal = 1.5; }); },
         std::monostate{}},
        {"byte array",
         [] {
             return Array<uint8_t>(VT_UI1, {1, 2, 255});
         },
         Bytes{1, 2, 255}},
        {"empty byte array", [] { return Array<uint8_t>(VT_UI1, {}); }, Bytes{}},
        {"long array, low bytes",
         [] {
             return Array<int32_t>(VT_I4, {1, 0x102, -1});
         },
         Bytes{1, 2, 255}},
        {"array counted from 1",
         [] {
             return Array<uint16_t>(VT_UI2, {7, 8}, 1);
         },
         Bytes{7, 8}},
        {"text array", [] { return Array<BSTR>(VT_BSTR, {nullptr}); }, std::monostate{}},
    };
    for (const Row& row : rows) {
        VARIANT value = row.make();
        EXPECT_EQ(WmiValueOf(value), row.expected) << row.what;
        ::VariantClear(&value);
    }
}

}  // namespace
