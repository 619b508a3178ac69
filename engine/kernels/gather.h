// Copying the table's records into the step's structure-of-arrays columns.
#pragma once

#include <cstdint>

#include "engine/world.h"

namespace vantor {

// Columns 64-byte aligned, with room to the next multiple of 8 past the
// gathered range.
struct GatherColumns {
    double *x, *y, *z;
    double *vx, *vy, *vz;
    double* m;            // effective mass, 0 for objects the pair loop skips
    double* active;       // 1.0 active, 0.0 skipped
    uint8_t* activeBits;  // the same, a bit per object by blocks of 8
};

// Copies the states of records [begin, end) into the columns with their
// effective masses (rest mass, or with relativistic masses the mass at the
// record's speed, also written to the record); begin is a multiple of 8.
// Writes each enabled record's gravitational parameter, writes the masses,
// flags and flag bytes only where they change (unchanged lines stay valid
// in the other workers' caches), and zeros the lanes of the last block past
// end, which the vector kernels read. True when an enabled object's
// effective mass is not finite (at or above the speed of light): its flag
// is 0, and the caller books the collision.
bool gatherObjects(ObjectRecord* records, const GatherColumns& out, int begin, int end, bool relativistic);

// The same with 512-bit vectors (the processor must have them), with the
// same results.
bool gatherObjectsAvx512(ObjectRecord* records, const GatherColumns& out, int begin, int end, bool relativistic);

using GatherFn = bool (*)(ObjectRecord*, const GatherColumns&, int begin, int end, bool relativistic);

}  // namespace vantor
