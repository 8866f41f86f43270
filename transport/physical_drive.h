// The physical-drive route: ATA commands sent to "\\.\PhysicalDrive<n>" through the ATA
// pass-through control code when the system has it, and through the disk driver's SMART
// control codes otherwise or when pass-through does not answer.
#pragma once

#include <cstdint>

#include "platform/win_types.h"
#include "transport/ata_route.h"

namespace transport {

// Opens the drive for reading and writing, shared; INVALID_HANDLE_VALUE when it cannot.
platform::HANDLE OpenPhysicalDrive(int physicalDrive);

// One ATA command through IOCTL_ATA_PASS_THROUGH on its own handle. dataSize is 0 or 512; on
// success with data given, the answer is copied into data.
platform::BOOL SendAtaCommandPd(int physicalDrive, uint8_t target, uint8_t command, uint8_t feature,
                                uint8_t* data, uint32_t dataSize);

class PhysicalDriveRoute : public AtaRoute {
  public:
    // ataPassThroughAvailable: whether the system version offers IOCTL_ATA_PASS_THROUGH.
    PhysicalDriveRoute(int physicalDrive, uint8_t target, bool ataPassThroughAvailable)
        : drive_(physicalDrive), target_(target), passThrough_(ataPassThroughAvailable) {}

    // DoIdentifyDevicePd: an answer whose model field is empty counts as no answer.
    bool IdentifyDevice(AtaBuffer identify) override;
    bool ReadSmartData(AtaBuffer page) override;
    bool ReadSmartThresholds(AtaBuffer page) override;
    // ControlSmartStatusPd.
    bool EnableSmartOperations() override;

  private:
    bool ReadSmartPage(uint8_t feature, const wchar_t* passThroughLog, const wchar_t* ioctlLog,
                       AtaBuffer page);
    // SMART_RCV_DRIVE_DATA with a 512-byte answer, logging `log` once the drive is open; the
    // page is written only on a whole reply.
    bool ReceiveDriveData(const wchar_t* log, uint8_t command, uint8_t feature, uint8_t cylLow,
                          uint8_t cylHigh, AtaBuffer page);

    int drive_;
    uint8_t target_;
    bool passThrough_;
};

}  // namespace transport
