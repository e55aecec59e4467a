#pragma once
// The start-up benchmark's report: CPU time up to the creation call against the smallest host,
// the wall-clock moments as context, the phase table, memory side by side, and how far the
// figures can be trusted.
#include "startup_figures.h"

namespace mirvot::bench {

// Prints everything to standard output. serverMeasured: the Wine server's CPU time was read.
void PrintStartupReport(const BenchResults& results, bool serverMeasured);

}  // namespace mirvot::bench
