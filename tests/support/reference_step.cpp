#include "tests/support/reference_step.h"

#include <cmath>
#include <vector>

namespace vantor {

void referenceStep(World& w) {
    const int n = w.OBJECTS_N;
    const double dt = w.SIMULATION_TIME_STEP;
    const bool relativistic = w.CALCULATE_RELATIVISTIC_MASSES != 0;
    ObjectRecord* o = w.objects.get();
    static thread_local std::vector<double> f, next;
    f.assign(3 * static_cast<size_t>(n), 0.0);
    next.assign(6 * static_cast<size_t>(n), 0.0);
    w.SIMULATION_TIME += dt;

    auto collide = [&](int k) {
        if (!w.ALLOW_OBJECT_COLLISIONS) {
            w.collisionDetected = 1;
            return false;
        }
        o[k].disabled = 1;
        ++w.COLLISION_COUNTER;
        return true;
    };
    for (int k = 0; k < n; ++k) {
        if (o[k].disabled) continue;
        if (relativistic) {
            o[k].relativisticMass =
                o[k].mass / std::sqrt(1.0 - (o[k].vx * o[k].vx + o[k].vy * o[k].vy + o[k].vz * o[k].vz) * INV_C2);
            o[k].gravParam = o[k].relativisticMass * G;
            if (!std::isfinite(o[k].relativisticMass) && !collide(k)) return;
        } else {
            o[k].gravParam = o[k].mass * G;
        }
    }
    for (int i = 0; i < n; ++i) {
        if (o[i].disabled) continue;
        for (int j = i + 1; j < n; ++j) {
            if (o[j].disabled) continue;
            const double dx = o[j].x - o[i].x, dy = o[j].y - o[i].y, dz = o[j].z - o[i].z;
            const double r2 = dx * dx + dy * dy + dz * dz;
            const double mj = relativistic ? o[j].relativisticMass : o[j].mass;
            const double s = o[i].gravParam * mj / (std::sqrt(r2) * r2);
            f[3 * i] += s * dx, f[3 * i + 1] += s * dy, f[3 * i + 2] += s * dz;
            f[3 * j] -= s * dx, f[3 * j + 1] -= s * dy, f[3 * j + 2] -= s * dz;
        }
        const double fx = f[3 * i], fy = f[3 * i + 1], fz = f[3 * i + 2];
        if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(fz)) {
            if (!collide(i)) return;
            continue;
        }
        const double m = relativistic ? o[i].relativisticMass : o[i].mass;
        const double a = dt / m, h = dt * a * 0.5;
        const double vsq = o[i].vx * o[i].vx + o[i].vy * o[i].vy + o[i].vz * o[i].vz;
        const double fsq = fx * fx + fy * fy + fz * fz;
        const double g = (vsq == 0 || fsq == 0) ? std::sqrt(a * a * fsq)
                                                : (o[i].vx * fx + o[i].vy * fy + o[i].vz * fz) *
                                                      std::sqrt(a * a * fsq) / std::sqrt(fsq * vsq);
        double* s = &next[6 * static_cast<size_t>(i)];
        s[0] = o[i].x + dt * o[i].vx + h * fx;
        s[1] = o[i].y + dt * o[i].vy + h * fy;
        s[2] = o[i].z + dt * o[i].vz + h * fz;
        const double wx = o[i].vx + a * fx, wy = o[i].vy + a * fy, wz = o[i].vz + a * fz;
        const double wl = std::sqrt(wx * wx + wy * wy + wz * wz);
        const double scale = wl == 0 ? 0 : (std::sqrt(vsq) + g) / wl;
        s[3] = wx * scale, s[4] = wy * scale, s[5] = wz * scale;
    }
    for (int k = 0; k < n; ++k) {
        if (o[k].disabled) continue;
        const double* s = &next[6 * static_cast<size_t>(k)];
        o[k].x = s[0], o[k].y = s[1], o[k].z = s[2], o[k].vx = s[3], o[k].vy = s[4], o[k].vz = s[5];
    }
}

}  // namespace vantor
