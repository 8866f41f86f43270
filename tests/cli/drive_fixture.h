// Drive records for the command line's tests, with SMART pages built byte by byte.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "base/ui_text.h"
#include "disk/attribute_names.h"
#include "disk/drive_record.h"
#include "disk/smart_data.h"
#include "tests/disk/smart_page_builder.h"
#include "tests/support/language_scope.h"

inline const disk::AttributeNameTables& Names() {
    static const disk::AttributeNameTables names = [] {
        disk::AttributeNameTables built;
        built.BuildAttributeNameTables();
        return built;
    }();
    return names;
}

// A SATA drive with a confirmed SMART reading of `attributes` and `thresholds`.
inline disk::DriveRecord SataDrive(int32_t physicalDrive, const std::wstring& model, double sizeMb,
                                   std::initializer_list<AttributeSpec> attributes,
                                   std::initializer_list<std::pair<uint8_t, uint8_t>> thresholds) {
    disk::DriveRecord record;
    record.Address.physicalDriveId = physicalDrive;
    record.Model = model;
    record.SerialNumber = L"SN" + std::to_wstring(physicalDrive);
    record.TotalDiskSize = sizeMb;
    record.Interface = L"Serial ATA";
    record.InterfaceType = disk::InterfaceType::INTERFACE_TYPE_SATA;
    record.CommandType = disk::CommandType::CMD_TYPE_PHYSICAL_DRIVE;
    record.CommandTypeTag = L"pd1";
    record.Address.target = 0xA0;
    record.SmartKeyName = L"Smart";
    record.SmartReadData = DataPage(attributes);
    disk::FillSmartData(record);
    record.SmartReadThreshold = ThresholdPage(thresholds);
    disk::FillSmartThreshold(record);
    record.SmartDataValid = true;
    record.SmartThresholdValid = true;
    return record;
}

// A system disk of 1 GiB with C: (512 MiB, 300 used, NTFS) and D: (128 MiB, 32 used, exFAT).
inline disk::DriveRecord SystemDrive() {
    disk::DriveRecord drive = SataDrive(0, L"Orvel SSD S3 1GB", 1024.0,
                                        {{.id = 0x09, .raw = 1432}, {.id = 0x0C, .raw = 57}}, {});
    drive.SerialNumber = L"ORV2026S3000142";
    drive.FirmwareRev = L"S3FM02.1";
    drive.CurrentTransferMode = drive.MaxTransferMode = L"SATA/600";
    drive.DriveLetters = L"C: D:";
    drive.DriveLetterMap = 0x0C;
    drive.Volumes[0] = {L'C', 512.0, 300.0, 212.0, 58, L"NTFS"};
    drive.Volumes[1] = {L'D', 128.0, 32.0, 96.0, 25, L"exFAT"};
    drive.UsedSize = 332.0;
    drive.FreeSize = 308.0;
    drive.UsedPercent = 51;
    drive.UnallocatedSize = 384.0;
    drive.IsAligned4K = true;
    return drive;
}
