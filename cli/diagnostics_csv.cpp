#include "cli/diagnostics_csv.h"

#include <cstdio>

namespace vantor::cli {

const char* const DIAGNOSTICS_CSV_HEADER =
    "time,steps,kinetic_energy,potential_energy,total_energy,energy_drift,momentum_x,momentum_y,momentum_z,"
    "angular_momentum_x,angular_momentum_y,angular_momentum_z";

namespace {

void appendNumber(std::string& out, double value) {
    char text[40];
    std::snprintf(text, sizeof text, ",%.17g", value);
    out += text;
}

}  // namespace

DiagnosticsCsv::DiagnosticsCsv() : text_(std::string(DIAGNOSTICS_CSV_HEADER) + "\n") {}

void DiagnosticsCsv::addRow(const World& world, WorkerPool& pool, long long steps) {
    const ConservationFigures f = computeConservationFigures(world, pool);
    if (lastSteps_ < 0) referenceEnergy_ = f.totalEnergy;
    lastSteps_ = steps;
    char start[64];
    std::snprintf(start, sizeof start, "%.17g,%lld", world.SIMULATION_TIME, steps);
    text_ += start;
    for (double v :
         {f.kineticEnergy, f.potentialEnergy, f.totalEnergy, relativeDrift(f.totalEnergy, referenceEnergy_),
          f.momentum.x, f.momentum.y, f.momentum.z, f.angularMomentum.x, f.angularMomentum.y, f.angularMomentum.z}) {
        appendNumber(text_, v);
    }
    text_ += '\n';
}

long long defaultRowInterval(long long plannedSteps) { return plannedSteps <= 100 ? 1 : (plannedSteps + 99) / 100; }

}  // namespace vantor::cli
