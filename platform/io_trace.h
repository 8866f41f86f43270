// An optional hex dump of every device control request and its answer, written to the
// diagnostic log, for support: with it on, a user's log shows exactly what each route sent to
// a drive and what came back. Off unless asked for (TRAMSIK_TRACE=1, or the CLI's --trace).
#pragma once

#include "platform/win_types.h"

namespace platform {

void SetDeviceIoTrace(bool on);
bool DeviceIoTraceOn();

// Called by the DeviceIoControl forwarder after the request ran.
void TraceDeviceIo(DWORD code, const void* in, DWORD inSize, const void* out, DWORD returned,
                   BOOL ok, DWORD error);

}  // namespace platform
