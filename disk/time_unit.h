// The unit in which a drive counts its power-on time (SMART attribute 9), known from its
// model, firmware, standard version and transfer mode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace disk {

// A TIME_UNIT_ value; TIME_UNIT_HOURS for every drive no rule knows.
int32_t GetTimeUnitType(std::wstring_view model, std::wstring_view firmware,
                        int32_t ataMajorVersion, int32_t transferMode);

// The text with its ASCII letters in upper case; other characters are kept, so the result
// does not depend on the locale.
std::wstring ToAsciiUpper(std::wstring_view text);

}  // namespace disk
