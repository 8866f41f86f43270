// A drive's "faults": the failures a test asks its simulated disk for.
#include "platform/sim/section_readers.h"

namespace platform::sim {

FaultSpec ReadFaults(const Field& field) {
    ObjectReader object(
        field, {"readErrorSector",     "writeErrorSector", "readErrorCount", "writeErrorCount",
                "seekErrorSector",     "layoutError",      "errorCode",      "writeProtected",
                "deleteLayoutError",   "lockFails",        "gone",           "goneAfterRequests",
                "slowMsPerMiB",        "readMsPerMiB",     "writeMsPerMiB",  "volatileWriteCache",
                "powerCutAfterWrites", "powerCutSeed",     "flushError",     "corruptWriteSector"});
    FaultSpec faults;
    if (auto sector = object.Optional("readErrorSector"))
        faults.readErrorSector = sector->Unsigned();
    if (auto sector = object.Optional("writeErrorSector"))
        faults.writeErrorSector = sector->Unsigned();
    faults.readErrorCount = OptionalUnsigned<uint64_t>(object, "readErrorCount", 1, UINT64_MAX);
    faults.writeErrorCount = OptionalUnsigned<uint64_t>(object, "writeErrorCount", 1, UINT64_MAX);
    if (auto sector = object.Optional("seekErrorSector"))
        faults.seekErrorSector = sector->Unsigned();
    if (auto code = object.Optional("layoutError"))
        faults.layoutError = static_cast<DWORD>(code->Unsigned(UINT32_MAX));
    faults.errorCode = OptionalUnsigned<DWORD>(object, "errorCode", faults.errorCode, UINT32_MAX);
    faults.writeProtected = OptionalBool(object, "writeProtected", false);
    if (auto code = object.Optional("deleteLayoutError"))
        faults.deleteLayoutError = static_cast<DWORD>(code->Unsigned(UINT32_MAX));
    faults.lockFails = OptionalBool(object, "lockFails", false);
    faults.gone = OptionalBool(object, "gone", false);
    if (auto count = object.Optional("goneAfterRequests"))
        faults.goneAfterRequests = count->Unsigned();
    if (auto slow = object.Optional("slowMsPerMiB")) faults.slowMsPerMiB = slow->Number();
    if (auto slow = object.Optional("readMsPerMiB")) faults.readMsPerMiB = slow->Number();
    if (auto slow = object.Optional("writeMsPerMiB")) faults.writeMsPerMiB = slow->Number();
    faults.volatileWriteCache = OptionalBool(object, "volatileWriteCache", false);
    if (auto count = object.Optional("powerCutAfterWrites"))
        faults.powerCutAfterWrites = count->Unsigned();
    faults.powerCutSeed = OptionalUnsigned<uint64_t>(object, "powerCutSeed", 1, UINT64_MAX);
    if (auto code = object.Optional("flushError"))
        faults.flushError = static_cast<DWORD>(code->Unsigned(UINT32_MAX));
    if (auto sector = object.Optional("corruptWriteSector"))
        faults.corruptWriteSector = sector->Unsigned();
    object.Close();
    return faults;
}

}  // namespace platform::sim
