// Makes a captured machine safe to send: every serial number and WWN is replaced, the same
// original by the same replacement wherever it appears in the machine, so the file still
// tells which drive is which and still replays.
#pragma once

#include "platform/sim/machine.h"

namespace capture {

// Serial numbers are found in the IDENTIFY and NVMe identify pages, the storage descriptor and
// the Win32_DiskDrive view; they are then replaced wherever they appear, inside the raw pages
// (ATA strings in their byte-swapped pairs, the IDENTIFY checksum made right again), in the
// management strings (device ids carry a USB disk's serial) and in their byte-swapped form.
// WWNs (IDENTIFY words 108-111, CSMI SAS addresses) keep their authority and lose their
// unique part; volume serial numbers are replaced too.
void Anonymize(platform::sim::Machine& machine);

}  // namespace capture
