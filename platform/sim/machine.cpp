#include "platform/sim/machine.h"

namespace platform::sim {

bool IsNvmeRoute(Route route) {
    return route == Route::NvmeStorageQuery || route == Route::NvmeSamsung ||
           route == Route::NvmeIntel;
}

bool IsUsbBridgeRoute(Route route) {
    return route >= Route::Sat && route <= Route::Cypress;
}

}  // namespace platform::sim
