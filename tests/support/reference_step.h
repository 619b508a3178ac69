// The gravity step as a plain scalar loop on the object records, one
// thread, in the order the pairs are numbered. The fast step is checked
// against it, and the benchmarks measure how far ahead the fast one is.
#pragma once

#include "engine/world.h"

namespace vantor {

// One step; a collision with collisions not allowed sets collisionDetected
// and changes no object.
void referenceStep(World& world);

}  // namespace vantor
