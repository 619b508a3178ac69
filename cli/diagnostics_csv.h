// The conservation figures of a run as CSV rows, for `run --diagnostics`.
#pragma once

#include <string>

#include "engine/diagnostics.h"

namespace vantor {
struct WorkerPool;
}

namespace vantor::cli {

// The first line of the file, without its line break.
extern const char* const DIAGNOSTICS_CSV_HEADER;

// Rows in the order they are added; energy_drift relative to the first row's
// total energy. Numbers in 17 significant digits, so that they read back
// exactly.
class DiagnosticsCsv {
public:
    DiagnosticsCsv();
    // Adds the row of the world as it is now, after `steps` steps of the run.
    void addRow(const World& world, WorkerPool& pool, long long steps);
    long long lastRowSteps() const { return lastSteps_; }
    const std::string& text() const { return text_; }

private:
    std::string text_;
    double referenceEnergy_ = 0;
    long long lastSteps_ = -1;
};

// The number of steps between rows when none is given: about 100 rows over
// a run of `plannedSteps`.
long long defaultRowInterval(long long plannedSteps);

}  // namespace vantor::cli
