// A monotonic high-resolution clock for the copy's timings: the performance counter in
// milliseconds. Without a counter every span reads 0, and callers fall back to the resolution.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace migration {

class Stopwatch {
  public:
    Stopwatch() {
        int64_t frequency = 0;
        if (platform::QueryPerformanceFrequency(&frequency) && frequency > 0)
            msPerCount_ = 1000.0 / static_cast<double>(frequency);
        start_ = Count();
    }
    double ElapsedMs() const { return static_cast<double>(Count() - start_) * msPerCount_; }
    // The shortest span the clock can tell from zero.
    double ResolutionMs() const { return msPerCount_ > 0.0 ? msPerCount_ : 1.0; }

  private:
    int64_t Count() const {
        int64_t count = 0;
        return msPerCount_ > 0.0 && platform::QueryPerformanceCounter(&count) ? count : 0;
    }
    double msPerCount_ = 0.0;
    int64_t start_ = 0;
};

}  // namespace migration
