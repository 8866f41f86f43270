#include "platform/win32/wmi_variant.h"

#include <cstring>

#include <oleauto.h>

namespace platform::win32 {

namespace {

template <typename Integer>
int64_t Read(const void* data) {
    Integer value;
    std::memcpy(&value, data, sizeof value);
    return static_cast<int64_t>(value);
}

int64_t ReadBoolean(const void* data) {
    return Read<VARIANT_BOOL>(data) != VARIANT_FALSE ? 1 : 0;
}

struct IntegerType {
    VARTYPE type;
    int64_t (*read)(const void* data);
};

constexpr IntegerType kIntegerTypes[] = {
    {VT_I1, Read<int8_t>},    {VT_UI1, Read<uint8_t>},   {VT_I2, Read<int16_t>},
    {VT_UI2, Read<uint16_t>}, {VT_I4, Read<int32_t>},    {VT_UI4, Read<uint32_t>},
    {VT_INT, Read<int32_t>},  {VT_UINT, Read<uint32_t>}, {VT_I8, Read<int64_t>},
    {VT_UI8, Read<uint64_t>}, {VT_BOOL, ReadBoolean},
};

const IntegerType* IntegerTypeOf(VARTYPE type) {
    for (const IntegerType& known : kIntegerTypes)
        if (known.type == type) return &known;
    return nullptr;
}

WmiValue BytesOf(SAFEARRAY* array, VARTYPE elementType) {
    const IntegerType* integer = IntegerTypeOf(elementType);
    ::LONG first = 0, last = -1;
    if (integer == nullptr || array == nullptr || ::SafeArrayGetDim(array) != 1 ||
        FAILED(::SafeArrayGetLBound(array, 1, &first)) ||
        FAILED(::SafeArrayGetUBound(array, 1, &last)))
        return std::monostate{};
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(array, &data))) return std::monostate{};
    const UINT elementSize = ::SafeArrayGetElemsize(array);
    std::vector<uint8_t> bytes;
    for (::LONG index = first; index <= last; ++index) {
        const auto* element = static_cast<const uint8_t*>(data) + (index - first) * elementSize;
        bytes.push_back(static_cast<uint8_t>(integer->read(element)));
    }
    ::SafeArrayUnaccessData(array);
    return bytes;
}

}  // namespace

WmiValue WmiValueOf(const VARIANT& value) {
    // A one-level array only; a reference to one is not what a provider hands out.
    if ((value.vt & ~VT_TYPEMASK) == VT_ARRAY) return BytesOf(value.parray, value.vt & VT_TYPEMASK);
    if (value.vt == VT_BSTR)
        return value.bstrVal ? std::wstring(value.bstrVal, ::SysStringLen(value.bstrVal))
                             : std::wstring();
    // Every member of the value's union starts at the same place.
    if (const IntegerType* integer = IntegerTypeOf(value.vt)) return integer->read(&value.llVal);
    return std::monostate{};
}

}  // namespace platform::win32
