// A zeroed heap buffer aligned for direct I/O: 4096 bytes covers every logical sector size and
// the memory page, so a backend may hand it to the device without copying it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace migration {

class AlignedBuffer {
  public:
    static constexpr std::align_val_t kAlignment{4096};

    explicit AlignedBuffer(size_t size) : data_(new (kAlignment) uint8_t[size]()) {}
    uint8_t* data() const { return data_.get(); }

  private:
    struct Free {
        void operator()(uint8_t* data) const { ::operator delete[](data, kAlignment); }
    };
    std::unique_ptr<uint8_t[], Free> data_;
};

}  // namespace migration
