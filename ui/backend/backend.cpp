#include "ui/backend/backend.h"

#include <cstdio>
#include <cstdlib>

namespace SkinUI {

namespace {
std::unique_ptr<IBackend>& Slot() {
    static std::unique_ptr<IBackend> backend;
    return backend;
}
}  // namespace

void SetBackend(std::unique_ptr<IBackend> backend) {
    Slot() = std::move(backend);
}

IBackend& GetBackend() {
    if (!Slot()) {
        // A window without a backend is a programming error, not a run-time condition.
        std::fputs("SkinUI: no backend was chosen before the first window\n", stderr);
        std::abort();
    }
    return *Slot();
}

bool HasBackend() {
    return Slot() != nullptr;
}

}  // namespace SkinUI
