// Request buffers as a transport lays them out, built here from the byte tables so a test
// checks the simulator against the wire format, not against its own structures; the
// pass-through requests, whose layout follows the target, come from pass_through_bytes.h.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "tests/support/pass_through_bytes.h"

// The 33-byte SMART request (SENDCMDINPARAMS).
inline std::vector<uint8_t> SmartRequest(uint8_t command, uint8_t feature, uint8_t target,
                                         uint32_t bufferSize, uint8_t cylLow, uint8_t cylHigh) {
    std::vector<uint8_t> buffer(33, 0);
    std::memcpy(&buffer[0], &bufferSize, 4);
    buffer[4] = feature;
    buffer[5] = 1;
    buffer[6] = 1;
    buffer[7] = cylLow;
    buffer[8] = cylHigh;
    buffer[9] = target;
    buffer[10] = command;
    return buffer;
}

// A wire structure or number copied out of a reply, `offset` bytes in.
template <typename T>
T Read(const void* bytes, size_t offset = 0) {
    T value;
    std::memcpy(&value, static_cast<const uint8_t*>(bytes) + offset, sizeof value);
    return value;
}

// What a call failed with, or 0 when it succeeded.
inline platform::DWORD ErrorOf(platform::BOOL ok) {
    return ok ? 0 : platform::GetLastError();
}

inline platform::HANDLE OpenDrive(int number, platform::DWORD access = platform::GENERIC_READ |
                                                                       platform::GENERIC_WRITE) {
    const std::wstring name = L"\\\\.\\PhysicalDrive" + std::to_wstring(number);
    return platform::CreateFileW(name.c_str(), access,
                                 platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                 platform::OPEN_EXISTING, 0);
}

// One control request on a fresh handle: the call's result, the error and the bytes returned.
struct Answer {
    bool ok = false;
    platform::DWORD error = 0;
    platform::DWORD returned = 0;
};

inline Answer Control(platform::HANDLE handle, platform::DWORD code, std::vector<uint8_t>& in,
                      platform::DWORD inSize, std::vector<uint8_t>& out, platform::DWORD outSize) {
    Answer answer;
    answer.ok = platform::DeviceIoControl(handle, code, in.empty() ? nullptr : in.data(), inSize,
                                          out.empty() ? nullptr : out.data(), outSize,
                                          &answer.returned) != 0;
    answer.error = answer.ok ? 0 : platform::GetLastError();
    return answer;
}

inline Answer ControlOnDrive(int drive, platform::DWORD code, std::vector<uint8_t>& in,
                             platform::DWORD inSize, std::vector<uint8_t>& out,
                             platform::DWORD outSize) {
    const platform::HANDLE handle = OpenDrive(drive);
    Answer answer = Control(handle, code, in, inSize, out, outSize);
    platform::CloseHandle(handle);
    return answer;
}

// An ATA string (two characters per word, first in the high byte), trimmed.
inline std::string AtaText(const uint8_t* page, int firstWord, int words) {
    std::string text;
    for (int i = 0; i < words * 2; ++i)
        text += static_cast<char>(page[2 * firstWord + (i ^ 1)]);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

inline uint8_t ByteSum(const uint8_t* bytes, size_t size) {
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum;
}
