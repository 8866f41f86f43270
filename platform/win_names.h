// Names and text as the system's calls take and give them: device paths, numbered device
// names and caller-sized text buffers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win_types.h"

namespace platform {

std::wstring UpperCase(std::wstring text);

// "\\.\name" -> "NAME" (upper-cased); empty for anything that is not a device path.
std::wstring DeviceName(const wchar_t* path);

// "PHYSICALDRIVE12" with prefix "PHYSICALDRIVE" and suffix "" -> 12; at most three digits.
std::optional<uint32_t> NumberBetween(const std::wstring& text, const std::wstring& prefix,
                                      const std::wstring& suffix);

// Copies `text` with its terminator into a caller's buffer of `size` characters; false when it
// does not fit. A missing buffer asks for nothing and succeeds.
bool CopyText(const std::wstring& text, wchar_t* buffer, DWORD size);

// GetSystemDirectoryW's answer: the length copied, or the size needed with the terminator
// when the buffer is missing or short.
UINT CopyPath(const std::wstring& path, wchar_t* buffer, UINT size);

}  // namespace platform
