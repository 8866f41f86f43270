// Reading a drive's SMART pages through its route and confirming them: read, classify the
// controller family, read again and compare, read the thresholds, and on an unconfirmed
// reading enable SMART and try once more. Then the values an unconfirmed reading cannot give
// are marked unknown and the known firmware faults are flagged.
#pragma once

#include "disk/drive_record.h"
#include "transport/ata_route.h"

namespace disk {

// What a route writes to the diagnostic log around its reads. Each line is a printf format
// that receives the physical drive index (%d) and then the route's two-letter code (%ls); a
// null line is not written.
struct SmartReadLines {
    const wchar_t* firstRead = nullptr;   // before the first data read
    const wchar_t* firstCheck = nullptr;  // before the read that checks it
    const wchar_t* retryRead = nullptr;   // after SMART was enabled, before the new read
    const wchar_t* retryCheck = nullptr;  // before the read that checks the new one
    // Physical drive first: before the route's own reading, when the first one fell short.
    const wchar_t* routeRead = nullptr;
};

// How a route's reading goes.
enum class SmartSequence {
    // Read, classify, read again and compare, read the thresholds; on an unconfirmed reading
    // enable SMART and do it once more.
    ReadAndConfirm,
    // The drive's own reading is checked once more through the physical-drive route, which
    // also gives the thresholds; there is nothing to enable SMART with.
    SiliconImage,
    // The physical-drive route's reading first; the route's own only when that one left a
    // flag unset.
    PhysicalDriveFirst,
    // One data read and one threshold read, with nothing to compare.
    Single,
};

struct SmartReadProfile {
    SmartReadLines lines;
    // Some drivers answer every SMART read with the same page; such a drive is taken as one
    // without SMART. Only the physical-drive route checks it.
    bool rejectDataEqualToThresholds = false;
    SmartSequence sequence = SmartSequence::ReadAndConfirm;
};

// The physical-drive route.
extern const SmartReadProfile kPhysicalDriveSmartRead;
// The SCSI miniport, USB bridge, Silicon Image, CSMI and WMI routes, and a RAID drive that
// was also found as a physical drive.
extern const SmartReadProfile kScsiMiniportSmartRead;
extern const SmartReadProfile kUsbBridgeSmartRead;
extern const SmartReadProfile kSiliconImageSmartRead;
extern const SmartReadProfile kCsmiSmartRead;
extern const SmartReadProfile kCsmiPhysicalDriveSmartRead;
extern const SmartReadProfile kWmiSmartRead;

// Reads and confirms the pages into the record, setting SmartSupported, SmartDataValid and
// SmartThresholdValid, VendorId and the rest of the classification. record.Model,
// FirmwareRev, Address.physicalDriveId, CommandType and TimeUnitType must already be known.
void ReadAndConfirmSmart(transport::AtaRoute& route, const SmartReadProfile& profile,
                         DriveRecord& record);

// The profile's sequence. `physicalDrive` is the drive's physical-drive route (first device),
// which the Silicon Image and physical-drive-first sequences also read through; without it
// those sequences read only through `route`.
void ReadSmartSequence(transport::AtaRoute& route, transport::AtaRoute* physicalDrive,
                       const SmartReadProfile& profile, DriveRecord& record);

// What follows the read on every route: unknown power-on and temperature values for an
// unconfirmed reading, the firmware quirk flag, and the offset of the adjusted power-on
// counter some drives still carry.
void FinishSmartReading(DriveRecord& record);

// Both, for a drive on the physical-drive route.
void ReadSmartPhysicalDrive(transport::AtaRoute& route, DriveRecord& record);

}  // namespace disk
