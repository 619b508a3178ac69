// Cutting a measured real (a rate, a speed figure) toward zero into the
// 64-bit integer it is kept and shown as.
#pragma once

#include <cmath>
#include <cstdint>

namespace vantor::platform {

// What a value beyond the 64-bit range (9.2e18 or more in size) becomes.
enum class BeyondInt64 {
    Saturate,  // INT64_MAX or INT64_MIN, by its sign
    Zero,      // 0, as for no measurement
};

// A value that is not finite (no time step, no elapsed time) gives 0: it
// counts as no measurement.
inline int64_t truncateToInt64(double v, BeyondInt64 beyond) {
    if (!std::isfinite(v)) return 0;
    if (v >= 9.2e18) return beyond == BeyondInt64::Saturate ? INT64_MAX : 0;
    if (v <= -9.2e18) return beyond == BeyondInt64::Saturate ? INT64_MIN : 0;
    return static_cast<int64_t>(v);
}

}  // namespace vantor::platform
