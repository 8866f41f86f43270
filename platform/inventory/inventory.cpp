#include "platform/inventory/inventory.h"

#include "platform/win_names.h"

namespace platform::inventory {

std::optional<PcieLink> LinkOf(const std::vector<Controller>& controllers,
                               const std::wstring& deviceId) {
    for (const Controller& controller : controllers)
        if (UpperCase(controller.deviceId) == UpperCase(deviceId))
            return controller.pcieLink.value_or(PcieLink{});
    return std::nullopt;
}

}  // namespace platform::inventory
