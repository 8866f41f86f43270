#include "platform/io_trace.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/log.h"

namespace platform {

namespace {

std::atomic<bool>& TraceFlag() {
    static std::atomic<bool> on{[] {
        const char* value = std::getenv("TRAMSIK_TRACE");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }()};
    return on;
}

// Sixteen bytes a line, offset first, as support tools print them.
void Dump(const wchar_t* label, const void* data, DWORD size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (DWORD line = 0; line < size; line += 16) {
        std::wstring text;
        for (DWORD i = line; i < size && i < line + 16; ++i) {
            wchar_t hex[4];
            std::swprintf(hex, 4, L"%02X ", bytes[i]);
            text += hex;
        }
        WriteLog(L"  %ls %04X: %ls", label, line, text.c_str());
    }
}

}  // namespace

void SetDeviceIoTrace(bool on) {
    TraceFlag().store(on, std::memory_order_relaxed);
}

bool DeviceIoTraceOn() {
    return TraceFlag().load(std::memory_order_relaxed);
}

void TraceDeviceIo(DWORD code, const void* in, DWORD inSize, const void* out, DWORD returned,
                   BOOL ok, DWORD error) {
    WriteLog(L"DeviceIoControl 0x%08X in %u out %u: %ls (error %u)", code, inSize, returned,
             ok ? L"ok" : L"failed", ok ? 0u : error);
    if (in != nullptr) Dump(L"in ", in, inSize);
    if (ok && out != nullptr) Dump(L"out", out, returned);
}

}  // namespace platform
