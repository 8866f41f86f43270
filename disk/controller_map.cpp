#include "disk/controller_map.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <span>
#include <string_view>

#include "base/log.h"
#include "disk/disk_identity_rules.h"
#include "disk/leading_number.h"
#include "disk/text_match.h"
#include "disk/wmi_query.h"

namespace disk {

namespace {

using platform::WmiObject;

// Enumerations of the map stop after this many objects, so a broken provider cannot keep the
// inventory walking forever.
constexpr size_t kMaxObjects = 256;

// A controller class of management instrumentation and the association to its devices.
struct ControllerClass {
    const wchar_t* name;        // e.g. "Win32_IDEController"
    const wchar_t* textSuffix;  // marks the class in the logged controller text
    const wchar_t* doneLog;     // after the last controller
    const wchar_t* failedLog;   // when the class cannot be listed
};

constexpr ControllerClass kIdeControllers{L"Win32_IDEController", L" [ATA]",
                                          L"OK:Win32_IDEController", L"EX:Win32_IDEController"};
constexpr ControllerClass kScsiControllers{L"Win32_SCSIController", L" [SCSI]",
                                           L"OK:Win32_SCSIController", L"EX:Win32_SCSIController"};
constexpr ControllerClass kUsbControllers{L"Win32_USBController", L"", L"OK:Win32_USBController",
                                          L"EX:Win32_USBController"};

// Controller makers whose disks may need the SCSI fallback of the IDENTIFY probe.
struct MakerFlag {
    std::wstring_view prefix;
    bool ControllerMap::*flag;
};
constexpr MakerFlag kMakerFlags[] = {
    {L"NVIDIA", &ControllerMap::nvidiaControllerFound},
    {L"Marvell", &ControllerMap::marvellControllerFound},
};

// A SCSI controller whose name holds one of these is a USB bridge speaking UASP.
constexpr std::wstring_view kUaspMarks[] = {L"USB", L"UAS"};
// Controllers whose disks hang when probed; left out unless SCSI ports are probed directly.
constexpr std::wstring_view kBlackListed[] = {L"VIA VT6410", L"ITE IT8212"};
// Virtual drives that are no storage controllers at all.
constexpr std::wstring_view kNotControllers[] = {L"DVDFab Virtual Drive"};

constexpr std::wstring_view kSiliconImagePrefix = L"Silicon Image SiI ";
struct SiliconImageCard {
    std::wstring_view prefix;
    int32_t type;
};
// Cards sold under another name, with the chip they carry.
constexpr SiliconImageCard kSiliconImageCards[] = {
    {L"BUFFALO IFC-PCI2ES", 3112},
    {L"BUFFALO IFC-PCIE2SA", 3132},
};

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

template <typename T>
void AddCapped(std::vector<T>& list, T entry) {
    if (list.size() < ControllerMap::kMaxEntries) list.push_back(std::move(entry));
}

// Walks every controller of a class: `visit` gets each controller's DeviceID and Name.
void ForEachController(platform::WmiServices& services, const ControllerClass& klass,
                       const std::function<void(const std::wstring&, const std::wstring&)>& visit) {
    const auto controllers =
        RunWqlQuery(services, std::wstring(L"select Name, DeviceID from ") + klass.name);
    if (!controllers) {
        WriteLog(L"%ls", klass.failedLog);
        return;
    }
    WalkWmiObjects(*controllers, kMaxObjects, [&](const WmiObject& controller) {
        visit(WmiText(controller, L"DeviceID").value_or(L""),
              WmiText(controller, L"Name").value_or(L""));
    });
    WriteLog(L"%ls", klass.doneLog);
}

// Walks the devices below one controller, in the order they are listed.
void ForEachDevice(platform::WmiServices& services, const ControllerClass& klass,
                   const std::wstring& controllerId,
                   const std::function<void(const WmiObject&)>& visit) {
    const std::wstring query = std::wstring(L"ASSOCIATORS OF {") + klass.name + L".DeviceID=\"" +
                               WqlEscape(controllerId) + L"\"} WHERE AssocClass = " + klass.name +
                               L"Device";
    if (const auto devices = RunWqlQuery(services, query))
        WalkWmiObjects(*devices, kMaxObjects, visit);
}

void NoteMaker(const std::wstring& controllerName, ControllerMap& map) {
    for (const MakerFlag& maker : kMakerFlags)
        if (controllerName.starts_with(maker.prefix)) map.*maker.flag = true;
}

// The controller's line and a line per device below it; `onDevice` sees each device too.
std::wstring ListController(platform::WmiServices& services, const ControllerClass& klass,
                            const std::wstring& controllerId, const std::wstring& name,
                            const std::function<void(const std::wstring&)>& onDevice) {
    std::wstring text = name + klass.textSuffix;
    ForEachDevice(services, klass, controllerId, [&](const WmiObject& device) {
        const std::wstring deviceId = WmiText(device, L"DeviceID").value_or(L"");
        const std::wstring deviceName = WmiText(device, L"Name").value_or(L"");
        text += L"\r\n   - " + deviceId;
        if (!deviceName.empty()) text += L" (" + deviceName + L")";
        onDevice(deviceId);
    });
    return text;
}

void MapIdeControllers(platform::WmiServices& services, ControllerMap& map) {
    ForEachController(
        services, kIdeControllers, [&](const std::wstring& id, const std::wstring& name) {
            const std::wstring line = name + kIdeControllers.textSuffix;
            // Each controller decides anew, so the last one handled wins.
            map.ahciMode = line.find(L"SATA AHCI") != std::wstring::npos;
            AddCapped(map.controllerText, ListController(services, kIdeControllers, id, name,
                                                         [](const std::wstring&) {}));
            NoteMaker(name, map);
        });
}

void MapScsiControllers(platform::WmiServices& services, bool scsiScan, ControllerMap& map) {
    ForEachController(
        services, kScsiControllers, [&](const std::wstring& id, const std::wstring& name) {
            const bool uasp = ContainsAny(name, kUaspMarks);
            const bool blackListed = !scsiScan && StartsWithAny(name, kBlackListed);
            NoteMaker(name, map);
            if (StartsWithAny(name, kNotControllers)) return;
            const int32_t siliconImageType = SiliconImageTypeOf(name);
            const bool siliconImage =
                siliconImageType != 0 || name.starts_with(kSiliconImagePrefix);

            AddCapped(map.controllerText,
                      ListController(
                          services, kScsiControllers, id, name, [&](const std::wstring& device) {
                              // Disks are matched with their upper-cased PNP device id.
                              const std::wstring key = Upper(device);
                              if (key.empty()) return;
                              if (uasp) AddCapped(map.uaspDevices, key);
                              if (blackListed) AddCapped(map.blackListedDevices, key);
                              if (siliconImage)
                                  AddCapped(map.siliconImageDevices, {key, siliconImageType});
                          }));
        });
}

void MapUsbControllers(platform::WmiServices& services, ControllerMap& map) {
    ForEachController(services, kUsbControllers, [&](const std::wstring& id, const std::wstring&) {
        // A mass-storage device follows the USB device of its enclosure, which carries the ids.
        std::wstring previous;
        ForEachDevice(services, kUsbControllers, id, [&](const WmiObject& device) {
            const std::wstring deviceId = WmiText(device, L"DeviceID").value_or(L"");
            if (deviceId.find(L"USBSTOR") != std::wstring::npos) {
                UsbDevice entry = UsbIdsOf(previous);
                entry.name = WmiText(device, L"Name").value_or(L"");
                AddCapped(map.usbDevices, std::move(entry));
            }
            previous = deviceId;
        });
    });
    for (const UsbDevice& device : map.usbDevices)
        WriteLog(L"VID=%04Xh, PID=%04Xh", static_cast<unsigned>(device.vendorId),
                 static_cast<unsigned>(device.productId));
}

}  // namespace

ControllerMap BuildControllerMap(platform::WmiServices& services, bool scsiScan) {
    ControllerMap map;
    MapIdeControllers(services, map);
    MapScsiControllers(services, scsiScan, map);

    std::wstring text;
    for (const std::wstring& entry : map.controllerText)
        text += (text.empty() ? L"" : L"\r\n") + entry;
    WriteLog(L"--ControllerMap--\r\n%ls", text.c_str());

    MapUsbControllers(services, map);
    return map;
}

int32_t SiliconImageTypeOf(const std::wstring& controllerName) {
    if (controllerName.starts_with(kSiliconImagePrefix))
        return std::max(
            0,
            LeadingInteger(std::wstring_view(controllerName).substr(kSiliconImagePrefix.size())));
    for (const SiliconImageCard& card : kSiliconImageCards)
        if (controllerName.starts_with(card.prefix)) return card.type;
    return 0;
}

UsbDevice UsbIdsOf(const std::wstring& deviceId) {
    UsbDevice ids;
    size_t start = 0;
    while (start <= deviceId.size()) {
        const size_t end = std::min(deviceId.find_first_of(L"\\&", start), deviceId.size());
        std::wstring token = deviceId.substr(start, end - start);
        if (RemoveAll(token, L"VID_"))
            ids.vendorId = static_cast<int32_t>(std::wcstol(token.c_str(), nullptr, 16));
        else if (RemoveAll(token, L"PID_"))
            ids.productId = static_cast<int32_t>(std::wcstol(token.c_str(), nullptr, 16));
        start = end + 1;
    }
    return ids;
}

}  // namespace disk
