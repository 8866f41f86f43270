// The copy's and the verification's log lines print sector numbers with %llu and system errors
// with %x; these give the values those formats take on every target.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace migration {

inline unsigned long long Ull(uint64_t value) {
    return static_cast<unsigned long long>(value);
}

inline unsigned LastError() {
    return static_cast<unsigned>(platform::GetLastError());
}

}  // namespace migration
