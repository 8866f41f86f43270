#include "transport/wmi_smart.h"

#include <algorithm>
#include <cwctype>
#include <memory>
#include <variant>
#include <vector>

#include "platform/platform.h"
#include "platform/wmi.h"
#include "transport/wmi_connect.h"

namespace transport {

using namespace platform;

namespace {

constexpr long kObjectTimeoutMs = 10000;

std::wstring Upper(std::wstring text) {
    std::ranges::transform(text, text.begin(),
                           [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

}  // namespace

bool ReadSmartPageWmi(const std::wstring& pnpDeviceId, DWORD osMajorVersion, bool wantThresholds,
                      AtaBuffer page) {
    if (pnpDeviceId.empty()) return false;
    const auto services =
        ConnectWmiNamespace(L"\\\\.\\root\\WMI", WmiConnectFlagsFor(osMajorVersion));
    if (!services) return false;
    const wchar_t* query = wantThresholds
                               ? L"SELECT * FROM MSStorageDriver_FailurePredictThresholds"
                               : L"SELECT * FROM MSStorageDriver_FailurePredictData";
    std::unique_ptr<WmiEnumerator> objects;
    if (!Succeeded(services->ExecQuery(
            L"WQL", query, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, &objects)) ||
        !objects)
        return false;

    for (;;) {
        WmiObject object;
        DWORD returned = 0;
        if (!Succeeded(objects->Next(kObjectTimeoutMs, &object, &returned)) || returned != 1)
            return false;
        WmiValue name;
        if (!Succeeded(object.Get(L"InstanceName", &name))) continue;
        const auto* text = std::get_if<std::wstring>(&name);
        if (text == nullptr || !Upper(*text).starts_with(pnpDeviceId)) continue;

        WmiValue vendorSpecific;
        object.Get(L"VendorSpecific", &vendorSpecific);
        const auto* bytes = std::get_if<std::vector<uint8_t>>(&vendorSpecific);
        if (bytes == nullptr) return false;
        // A short array leaves the rest of the page zero rather than reading past its end.
        std::ranges::fill(page, uint8_t{0});
        std::copy_n(bytes->begin(), std::min(bytes->size(), page.size()), page.begin());
        return true;
    }
}

bool WmiRoute::ReadSmartData(AtaBuffer page) {
    return ReadSmartPageWmi(pnp_, osMajor_, false, page);
}

bool WmiRoute::ReadSmartThresholds(AtaBuffer page) {
    return ReadSmartPageWmi(pnp_, osMajor_, true, page);
}

}  // namespace transport
