#include <gtest/gtest.h>

#include "engine/partition.h"
#include "platform/check.h"

namespace vantor {
namespace {

#if defined(VANTOR_CHECKS) && VANTOR_CHECKS
// Debug builds stop at a broken precondition and name it.
TEST(Preconditions, StopADebugBuildAndNameTheCondition) {
    ObjectRange objects[1];
    PairRange pairs[1];
    EXPECT_DEATH(splitWork(10, 0, objects, pairs), "precondition failed: w >= 1");
}
#else
// Release builds pay nothing for them: the condition is not even evaluated.
TEST(Preconditions, CostNothingInReleaseBuilds) {
    int evaluated = 0;
    VANTOR_ASSERT(++evaluated > 0);
    EXPECT_EQ(evaluated, 0);
}
#endif

}  // namespace
}  // namespace vantor
