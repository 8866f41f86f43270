// One entry of "drives": its number, route and route details, image and size, pages, storage
// descriptor and faults, and the details its route cannot do without.
#include "platform/ioctl.h"
#include "platform/sim/section_readers.h"

namespace platform::sim {

namespace {

std::string TrimmedAtaString(const Page& page, unsigned firstWord, unsigned words) {
    std::string text;
    for (unsigned i = 0; i < words * 2; ++i)
        text += static_cast<char>(page[2 * firstWord + (i ^ 1)]);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

std::string TrimmedText(const uint8_t* bytes, size_t width) {
    std::string text(reinterpret_cast<const char*>(bytes), width);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

DWORD DefaultBusType(Route route) {
    if (IsNvmeRoute(route)) return BusTypeNvme;
    if (IsUsbBridgeRoute(route)) return BusTypeUsb;
    switch (route) {
        case Route::ScsiMiniport:
        case Route::SiliconImage:
            return BusTypeScsi;
        case Route::Csmi:
            return BusTypeRAID;
        default:
            return BusTypeSata;
    }
}

Route ReadRoute(const Field& field) {
    std::vector<std::pair<std::string_view, Route>> choices;
    for (const RouteName& entry : kRouteNames)
        choices.emplace_back(entry.name, entry.route);
    return field.Choice<Route>(choices);
}

// The route details a route cannot do without.
void RequireRouteDetails(const DriveSpec& drive, ObjectReader& object) {
    const auto need = [&](bool present, const char* key) {
        if (!present)
            object.Self().Fail("missing key \"" + std::string(key) + "\", which this route needs");
    };
    if (IsNvmeRoute(drive.route)) {
        need(drive.nvme.has_value(), "nvme");
    } else if (drive.route != Route::Wmi) {
        need(drive.identify.has_value(), "identify");
    }
    if (IsUsbBridgeRoute(drive.route)) need(drive.usb.has_value(), "usb");
    if (drive.route == Route::ScsiMiniport) need(drive.scsi.has_value(), "scsi");
    if (drive.route == Route::SiliconImage) need(drive.siliconImage.has_value(), "siliconImage");
    if (drive.route == Route::Csmi) need(drive.csmi.has_value(), "csmi");
    if (drive.route == Route::Wmi) need(drive.smart.has_value(), "smart");
    if (!drive.physicalDrive && drive.route != Route::ScsiMiniport && drive.route != Route::Csmi)
        object.Self().Fail(
            "\"physicalDrive\" may be null only for the \"scsi-miniport\" and \"csmi\" routes");
}

void ReadRouteDetails(ObjectReader& object, DriveSpec* drive) {
    if (auto ata = object.Optional("ata")) {
        ObjectReader fields(*ata, {"passThrough", "smartIoctl", "target"});
        drive->ata.passThrough = OptionalBool(fields, "passThrough", true);
        drive->ata.smartIoctl = OptionalBool(fields, "smartIoctl", true);
        if (auto target = fields.Optional("target")) {
            const uint64_t value = target->Unsigned(255);
            if (value != ATA_DEVICE_MASTER && value != ATA_DEVICE_SLAVE)
                target->Fail("the device select value is 0xA0 or 0xB0");
            drive->ata.target = static_cast<BYTE>(value);
        }
        fields.Close();
    }
    if (auto scsi = object.Optional("scsi")) {
        ObjectReader fields(*scsi, {"port", "target", "bus", "lun"});
        ScsiSpec config;
        config.port = static_cast<BYTE>(fields.Required("port").Unsigned(255));
        config.target = static_cast<BYTE>(fields.Required("target").Unsigned(255));
        config.bus = OptionalUnsigned<BYTE>(fields, "bus", 0, 255);
        config.lun = OptionalUnsigned<BYTE>(fields, "lun", 0, 255);
        fields.Close();
        drive->scsi = config;
    }
    if (auto usb = object.Optional("usb")) {
        ObjectReader fields(*usb, {"vid", "pid"});
        drive->usb = UsbSpec{static_cast<WORD>(fields.Required("vid").Unsigned(0xFFFF)),
                             static_cast<WORD>(fields.Required("pid").Unsigned(0xFFFF))};
        fields.Close();
    }
    if (auto si = object.Optional("siliconImage")) {
        ObjectReader fields(*si, {"chip", "device"});
        drive->siliconImage =
            SiliconImageSpec{static_cast<uint32_t>(fields.Required("chip").Unsigned(UINT32_MAX)),
                             OptionalUnsigned<uint32_t>(fields, "device", 0, 0xFFFF)};
        fields.Close();
    }
    if (auto csmi = object.Optional("csmi")) {
        ObjectReader fields(*csmi, {"port", "phy", "sasAddress", "raidMember"});
        CsmiSpec config;
        config.port = static_cast<uint32_t>(fields.Required("port").Unsigned(255));
        config.phy = static_cast<uint32_t>(fields.Required("phy").Unsigned(255));
        config.sasAddress = fields.Required("sasAddress").Unsigned();
        config.raidMember = OptionalBool(fields, "raidMember", false);
        fields.Close();
        drive->csmi = config;
    }
}

StorageSpec DefaultStorage(const DriveSpec& drive) {
    StorageSpec storage;
    storage.busType = DefaultBusType(drive.route);
    if (drive.identify) {
        storage.product = TrimmedAtaString(*drive.identify, 27, 20);
        storage.revision = TrimmedAtaString(*drive.identify, 23, 4);
        storage.serial = TrimmedAtaString(*drive.identify, 10, 10);
    } else if (drive.nvme) {
        storage.product = TrimmedText(&drive.nvme->identify[24], 40);
        storage.revision = TrimmedText(&drive.nvme->identify[64], 8);
        storage.serial = TrimmedText(&drive.nvme->identify[4], 20);
    }
    return storage;
}

void ReadStorage(const Field& field, StorageSpec* storage) {
    ObjectReader object(field, {"vendor", "product", "revision", "serial", "busType"});
    const auto text = [&](const char* key, std::string* out) {
        if (auto value = object.Optional(key)) *out = value->Text();
    };
    text("vendor", &storage->vendor);
    text("product", &storage->product);
    text("revision", &storage->revision);
    text("serial", &storage->serial);
    if (auto bus = object.Optional("busType")) storage->busType = Pick(*bus, kBusTypeNames);
    object.Close();
}

}  // namespace

DriveSpec ReadDrive(const Field& field, size_t index, const std::filesystem::path& baseFolder,
                    const std::string& machineName) {
    ObjectReader object(field, {"physicalDrive", "route", "ata", "scsi", "usb", "siliconImage",
                                "csmi", "wmi", "identify", "smart", "nvme", "storage", "mediaType",
                                "size", "image", "layout", "faults"});
    DriveSpec drive;
    drive.index = index;
    const Field physical = object.Required("physicalDrive");
    if (!physical.IsNull()) drive.physicalDrive = static_cast<uint32_t>(physical.Unsigned(255));
    drive.route = ReadRoute(object.Required("route"));
    ReadRouteDetails(object, &drive);

    const auto image = object.Optional("image");
    const auto size = object.Optional("size");
    if (image) {
        drive.image = std::filesystem::path(image->Text());
        if (drive.image.is_relative()) drive.image = baseFolder / drive.image;
        std::error_code error;
        const uint64_t bytes = std::filesystem::file_size(drive.image, error);
        if (error)
            image->Fail("cannot use image file \"" + drive.image.string() +
                        "\": " + error.message());
        drive.size = bytes;
        if (size && size->ByteSize() != bytes)
            size->Fail("the image file holds " + std::to_string(bytes) + " bytes, not " +
                       std::to_string(size->ByteSize()));
    } else if (size) {
        drive.size = size->ByteSize();
    } else {
        field.Fail("missing key \"size\" (or \"image\")");
    }
    const Field& sizeField = size ? *size : *image;
    if (drive.size == 0 || drive.size % kSectorSize != 0)
        sizeField.Fail("a disk size is a non-zero multiple of 512 bytes");
    const uint64_t sectors = drive.size / kSectorSize;

    if (auto layout = object.Optional("layout")) {
        if (image)
            layout->Fail("a layout is written only into a new image, not into a given \"image\"");
        drive.layout = ReadLayout(*layout, sectors, machineName + "/" + std::to_string(index));
    }
    if (auto wmi = object.Optional("wmi")) drive.wmi = ReadWmiDisk(*wmi);
    if (auto identify = object.Optional("identify"))
        drive.identify = ReadIdentify(*identify, sectors);
    if (auto smart = object.Optional("smart")) drive.smart = ReadSmart(*smart);
    if (auto nvme = object.Optional("nvme")) drive.nvme = ReadNvme(*nvme);
    drive.storage = DefaultStorage(drive);
    if (auto storage = object.Optional("storage")) ReadStorage(*storage, &drive.storage);
    if (auto media = object.Optional("mediaType"))
        drive.removableMedia = Pick(*media, kMediaTypeNames);
    if (auto faults = object.Optional("faults")) drive.faults = ReadFaults(*faults);
    RequireRouteDetails(drive, object);
    object.Close();
    return drive;
}

}  // namespace platform::sim
