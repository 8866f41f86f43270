// Recording a drive that answered: the identification, the check against the drives already
// listed, the SMART reading and the checks that may still refuse it.
#include <memory>
#include <optional>

#include "base/log.h"
#include "disk/ata_smart.h"
#include "disk/identify.h"

namespace disk {

bool CAtaSmart::AddDisk(CommandType commandType, const DriveAddress& address,
                        const AtaPage& identify) {
    if (vars.IsFull()) return false;
    // A record is too large for the stack of every caller.
    const auto record = std::make_unique<DriveRecord>();
    if (StartIdentification(identify, commandType, address.target, *record) !=
        IdentifyOutcome::Usable)
        return false;
    record->Address = address;
    const int32_t physicalDriveId = address.physicalDriveId;

    // The same drive may already be listed: found behind a RAID port without a drive number,
    // or by a pass that knew less about it.
    std::optional<int32_t> replaced;
    for (int32_t i = 0; i < vars.Count(); ++i) {
        DriveRecord& listed = vars[i];
        if (listed.Model != record->Model || listed.SerialNumber != record->SerialNumber) continue;
        if (listed.Address.physicalDriveId == -1 && physicalDriveId >= 0) {
            listed.Address.physicalDriveId = physicalDriveId;
            if (CsmiEnabled != 1) return false;
            WriteLog(L"vars[i].CommandType = CMD_TYPE_CSMI_PHYSICAL_DRIVE");
            listed.CommandType = CommandType::CMD_TYPE_CSMI_PHYSICAL_DRIVE;
            listed.CommandTypeTag = FormatCommandTypeTag(listed.CommandType, listed.Address.target);
            replaced = i;
            break;
        }
        // One the management pass completed is the better record of the two.
        if (!listed.WmiModel.empty()) return false;
        replaced = i;
    }

    if (FinishIdentification(*record) != IdentifyOutcome::Usable) return false;
    if (record->IsSmartFeatureSupported || record->IsSuspectSectorCount || ScsiScan) {
        if (!ReadSmartThroughRoute(Routes(), *record)) return false;
    }
    FinishSmartReading(*record);

    // A clamped geometry means garbage in the answer, except on the routes a SCSI scan trusts.
    if (record->IsGeometryOutOfRange &&
        !(ScsiScan && record->CommandType < CommandType::CMD_TYPE_SAT))
        return false;
    if (replaced) {
        if (!record->SmartDataValid) return false;
        vars.RemoveAt(*replaced);
    }
    return vars.Append(*record);
}

}  // namespace disk
