// The machine the program sees, real or simulated, as a machine description that replays it:
// the OS facts, the storage controllers, every drive the inventory recorded with its route, raw
// pages, size and partition table (never its data), and the volumes. Everything is read
// through the platform seam with the requests the inventory itself makes, after it has run.
#pragma once

#include <functional>
#include <string>

#include "platform/sim/machine.h"

namespace disk {
class CAtaSmart;
}  // namespace disk

namespace capture {

// Hears of each step before it is taken ("drive 2 of 4"), for a progress line.
using Progress = std::function<void(const std::wstring& step)>;

// `engine` has taken its inventory. The machine has no name, so a file names its own images.
platform::sim::Machine CaptureMachine(const disk::CAtaSmart& engine, const Progress& progress);

}  // namespace capture
