#include "platform/inventory/wql.h"

#include <algorithm>
#include <regex>

#include "platform/win_names.h"

namespace platform::inventory {

namespace {

bool SameClass(const std::wstring& a, const std::wstring& b) {
    return UpperCase(a) == UpperCase(b);
}

std::wstring ControllerClassName(ControllerClass klass) {
    switch (klass) {
        case ControllerClass::Ide:
            return L"Win32_IDEController";
        case ControllerClass::Scsi:
            return L"Win32_SCSIController";
        case ControllerClass::Usb:
            return L"Win32_USBController";
    }
    return L"";
}

WmiInstance Entity(const std::wstring& className, const std::wstring& deviceId,
                   const std::wstring& name) {
    WmiInstance instance{className, {}};
    instance.object.Set(L"DeviceID", deviceId);
    instance.object.Set(L"PNPDeviceID", deviceId);
    instance.object.Set(L"Name", name.empty() ? WmiValue() : WmiValue(name));
    instance.object.Set(L"Caption", name.empty() ? WmiValue() : WmiValue(name));
    instance.object.Set(L"Status", std::wstring(L"OK"));
    return instance;
}

std::wstring TextProperty(const Properties& properties, const wchar_t* name) {
    for (const auto& [key, value] : properties)
        if (key == name && std::holds_alternative<std::wstring>(value))
            return std::get<std::wstring>(value);
    return L"";
}

struct Association {
    std::wstring assocClass;
    WmiInstance left, right;
};

// Every object and association of root\cimv2.
struct Cimv2 {
    std::vector<WmiInstance> objects;
    std::vector<Association> associations;
};

Cimv2 BuildCimv2(const Inventory& inventory) {
    Cimv2 world;
    for (const Controller& controller : inventory.controllers) {
        const std::wstring className = ControllerClassName(controller.klass);
        const WmiInstance self = Entity(className, controller.deviceId, controller.name);
        world.objects.push_back(self);
        for (const DeviceRef& device : controller.devices) {
            const WmiInstance entity = Entity(L"Win32_PnPEntity", device.deviceId, device.name);
            world.objects.push_back(entity);
            world.associations.push_back({className + L"Device", self, entity});
        }
    }
    for (const DiskDrive& drive : inventory.disks) {
        WmiInstance disk{L"Win32_DiskDrive", {}};
        for (const auto& [name, value] : drive.properties)
            disk.object.Set(name, value);
        world.objects.push_back(disk);
        const std::wstring pnp = TextProperty(drive.properties, L"PNPDeviceID");
        if (!pnp.empty())
            world.associations.push_back(
                {L"Win32_PnPDevice", disk,
                 Entity(L"Win32_PnPEntity", pnp, TextProperty(drive.properties, L"Model"))});
    }
    return world;
}

std::vector<WmiInstance> BuildRootWmi(const Inventory& inventory, const std::wstring& className) {
    std::vector<WmiInstance> objects;
    const bool data = SameClass(className, L"MSStorageDriver_FailurePredictData");
    const bool thresholds = SameClass(className, L"MSStorageDriver_FailurePredictThresholds");
    const bool status = SameClass(className, L"MSStorageDriver_FailurePredictStatus");
    for (const DiskDrive& drive : inventory.disks) {
        if (!drive.failurePrediction) continue;
        const std::wstring pnp = TextProperty(drive.properties, L"PNPDeviceID");
        if (pnp.empty()) continue;
        WmiInstance instance{className, {}};
        instance.object.Set(L"InstanceName", pnp + L"_0");
        instance.object.Set(L"Active", int64_t{1});
        const auto& page =
            data ? drive.failurePrediction->data : drive.failurePrediction->thresholds;
        if (data || thresholds)
            instance.object.Set(L"VendorSpecific", std::vector<uint8_t>(page.begin(), page.end()));
        if (status) {
            instance.object.Set(L"PredictFailure", int64_t{0});
            instance.object.Set(L"Reason", int64_t{0});
        }
        objects.push_back(std::move(instance));
    }
    return objects;
}

bool IsOneOf(const std::wstring& className, std::initializer_list<const wchar_t*> known) {
    return std::any_of(known.begin(), known.end(),
                       [&](const wchar_t* name) { return SameClass(className, name); });
}

bool IsRootWmiClass(const std::wstring& className) {
    return IsOneOf(className, {L"MSStorageDriver_FailurePredictData",
                               L"MSStorageDriver_FailurePredictThresholds",
                               L"MSStorageDriver_FailurePredictStatus"});
}

bool IsCimv2Class(const std::wstring& className) {
    return IsOneOf(className, {L"Win32_DiskDrive", L"Win32_IDEController", L"Win32_SCSIController",
                               L"Win32_USBController", L"Win32_PnPEntity"});
}

bool IsAssociationClass(const std::wstring& className) {
    return IsOneOf(className, {L"Win32_IDEControllerDevice", L"Win32_SCSIControllerDevice",
                               L"Win32_USBControllerDevice", L"Win32_PnPDevice"});
}

std::wstring DeviceIdOf(const WmiInstance& instance) {
    WmiValue value;
    instance.object.Get(L"DeviceID", &value);
    return std::holds_alternative<std::wstring>(value) ? std::get<std::wstring>(value) : L"";
}

// "select Name, DeviceID from ..." keeps only the named properties.
WmiInstance Project(const WmiInstance& instance, const std::vector<std::wstring>& names) {
    if (names.empty()) return instance;
    WmiInstance projected{instance.className, {}};
    for (const std::wstring& name : names) {
        WmiValue value;
        if (Succeeded(instance.object.Get(name, &value))) projected.object.Set(name, value);
    }
    return projected;
}

HRESULT Select(const Inventory& inventory, bool rootWmi, const std::wstring& properties,
               const std::wstring& className, std::vector<WmiInstance>* results) {
    std::vector<std::wstring> names;
    if (properties != L"*") {
        static const std::wregex name(LR"(\s*(\w+)\s*(,|$))");
        for (std::wsregex_iterator it(properties.begin(), properties.end(), name), end; it != end;
             ++it)
            names.push_back((*it)[1]);
        if (names.empty()) return WBEM_E_INVALID_QUERY;
    }
    if (rootWmi) {
        if (!IsRootWmiClass(className)) return WBEM_E_INVALID_CLASS;
        for (const WmiInstance& instance : BuildRootWmi(inventory, className))
            results->push_back(Project(instance, names));
        return S_OK;
    }
    if (!IsCimv2Class(className)) return WBEM_E_INVALID_CLASS;
    std::vector<std::wstring> seen;
    for (const WmiInstance& instance : BuildCimv2(inventory).objects) {
        if (!SameClass(instance.className, className)) continue;
        // A device below two controllers is still one entity.
        const std::wstring key = PathKey(DeviceIdOf(instance));
        if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
        seen.push_back(key);
        results->push_back(Project(instance, names));
    }
    return S_OK;
}

HRESULT Associators(const Inventory& inventory, const std::wstring& sourceClass,
                    const std::wstring& keyName, const std::wstring& keyValue,
                    const std::wstring& where, std::vector<WmiInstance>* results) {
    if (!SameClass(keyName, L"DeviceID")) return WBEM_E_INVALID_QUERY;
    if (!IsCimv2Class(sourceClass)) return WBEM_E_INVALID_CLASS;
    std::wstring assocClass, resultClass;
    static const std::wregex clause(LR"(\s*(AssocClass|ResultClass)\s*=\s*(\w+)\s*)",
                                    std::regex::icase);
    std::wsmatch match;
    std::wstring rest = where;
    while (!rest.empty() && std::regex_search(rest, match, clause) && match.position(0) == 0) {
        (UpperCase(match[1]) == L"ASSOCCLASS" ? assocClass : resultClass) = match[2];
        rest = match.suffix();
    }
    if (!rest.empty()) return WBEM_E_INVALID_QUERY;
    if (!assocClass.empty() && !IsAssociationClass(assocClass)) return WBEM_E_INVALID_CLASS;

    const std::wstring key = PathKey(keyValue);
    const auto matches = [&](const WmiInstance& instance) {
        return SameClass(instance.className, sourceClass) && PathKey(DeviceIdOf(instance)) == key;
    };
    for (const Association& association : BuildCimv2(inventory).associations) {
        if (!assocClass.empty() && !SameClass(association.assocClass, assocClass)) continue;
        const WmiInstance* other = matches(association.left)    ? &association.right
                                   : matches(association.right) ? &association.left
                                                                : nullptr;
        if (!other || (!resultClass.empty() && !SameClass(other->className, resultClass))) continue;
        results->push_back(*other);
    }
    return S_OK;
}

}  // namespace

std::wstring PathKey(const std::wstring& id) {
    std::wstring key;
    for (wchar_t c : UpperCase(id))
        if (c != L'\\' || key.empty() || key.back() != L'\\') key += c;
    return key;
}

HRESULT RunWql(const Inventory& inventory, const std::wstring& nameSpace, const std::wstring& query,
               std::vector<WmiInstance>* results) {
    const bool rootWmi = PathKey(nameSpace) == L"ROOT\\WMI";
    static const std::wregex select(LR"(^\s*select\s+(\*|\w+(\s*,\s*\w+)*)\s+from\s+(\w+)\s*$)",
                                    std::regex::icase);
    static const std::wregex associators(
        LR"re(^\s*associators\s+of\s*\{\s*(\w+)\.(\w+)\s*=\s*(?:"([^"]*)"|'([^']*)')\s*\}\s*(?:where\s+(.*?))?\s*$)re",
        std::regex::icase);
    std::wsmatch match;
    if (std::regex_match(query, match, select))
        return Select(inventory, rootWmi, match[1], match[3], results);
    if (!rootWmi && std::regex_match(query, match, associators))
        return Associators(inventory, match[1], match[2], match[3].matched ? match[3] : match[4],
                           match[5], results);
    return WBEM_E_INVALID_QUERY;
}

}  // namespace platform::inventory
