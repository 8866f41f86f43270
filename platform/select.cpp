// Choosing the backend once at start, and the process-wide slot that holds it.
#include <cstdio>
#include <cstdlib>

#include "base/utf8.h"
#include "platform/demo_machine.h"
#include "platform/native_platform.h"
#include "platform/platform.h"
#include "platform/sim/machine_loader.h"
#include "platform/sim/sim_platform.h"

namespace platform {

namespace {

std::unique_ptr<Platform>& Slot() {
    static std::unique_ptr<Platform> backend;
    return backend;
}

}  // namespace

Platform& CurrentPlatform() {
    if (!Slot()) {
        std::wstring error;
        if (!SelectPlatformFromEnvironment(&error)) {
            // Nothing can reach a drive without a backend; say why instead of guessing.
            std::fprintf(stderr, "tramsik: %s\n", ToUtf8(error).c_str());
            std::exit(2);
        }
    }
    return *Slot();
}

void UsePlatform(std::unique_ptr<Platform> backend) {
    Slot() = std::move(backend);
}

bool SelectPlatform(const std::wstring& machine, std::wstring* error, DriveAccess* access) {
    if (access) *access = DriveAccess::Readable;
    if (machine.empty()) {
        DriveAccess found = DriveAccess::Readable;
        std::unique_ptr<Platform> native = MakeNativePlatform(&found, error);
        if (found != DriveAccess::Readable && !access) return false;
        if (access) *access = found;
        UsePlatform(std::move(native));
        return true;
    }
    std::string problem;
    std::optional<sim::Machine> loaded =
        machine == L"demo" ? sim::ParseMachine(DemoMachineJson(), "demo", {}, &problem)
                           : sim::LoadMachineFile(PathFromWide(machine), &problem);
    std::unique_ptr<sim::SimPlatform> backend;
    if (loaded) backend = sim::SimPlatform::Create(std::move(*loaded), {}, &problem);
    if (!backend) {
        *error = FromUtf8(problem);
        return false;
    }
    UsePlatform(std::move(backend));
    return true;
}

bool SelectPlatformFromEnvironment(std::wstring* error, DriveAccess* access) {
    const char* machine = std::getenv("TRAMSIK_MACHINE");
    return SelectPlatform(machine ? FromUtf8(machine) : std::wstring(), error, access);
}

}  // namespace platform
