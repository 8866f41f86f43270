// tramsik-cli metrics: drive health in the Prometheus text format, on standard output or in
// place of a file that a collector reads.
#pragma once

#include <cstdio>
#include <string>

#include "cli/drive_metrics.h"

namespace cli {

// Prints the metrics of `inventory` to `out`, or with an `outPath` replaces that file with them.
int RunMetrics(const std::wstring& outPath, const MetricsInventory& inventory, std::FILE* out,
               std::FILE* err);

}  // namespace cli
