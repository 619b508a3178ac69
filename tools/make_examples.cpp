// Writes the built-in example sceneries into a folder:
//     vantor-make-examples <folder>
// The files are committed in scenery/examples/ and compiled into the
// program; run this only to change them. Every random draw comes from a
// fixed-seed generator of our own (library distributions differ between
// versions), and every value that passes through a mathematical function
// is rounded to 7 significant digits (those functions may differ in the
// last bit between libraries), so the output is the same on every platform.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/world.h"
#include "scenery/writer.h"

namespace {

using namespace vantor;

// splitmix64: tiny, fast and fully specified.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1) with 53 random bits.
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double between(double a, double b) { return a + (b - a) * unit(); }
    // Uniform in the logarithm, as the object randomizer draws ranges of
    // three or more decades.
    double logBetween(double a, double b) { return a * std::exp(std::log(b / a) * unit()); }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

    // A point uniformly inside the ball of radius r (rejection from the cube).
    Vec3 inBall(double r) {
        for (;;) {
            Vec3 p{between(-1, 1), between(-1, 1), between(-1, 1)};
            double q = p.x * p.x + p.y * p.y + p.z * p.z;
            if (q <= 1.0 && q > 1e-6) return vecScale(p, r);
        }
    }
    // A direction uniformly on the sphere.
    Vec3 direction() { return vecNormalise(inBall(1.0)); }
    // A direction uniformly in the x-y plane.
    Vec3 planeDirection() {
        for (;;) {
            double x = between(-1, 1), y = between(-1, 1), q = x * x + y * y;
            if (q <= 1.0 && q > 1e-6) return vecNormalise({x, y, 0});
        }
    }

private:
    uint64_t state_;
};

// Short decimal values: compact files, and the same bits everywhere.
double roundDigits(double v, int digits) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, v);
    return std::strtod(text, nullptr);
}

double round7(double v) { return roundDigits(v, 7); }

Vec3 round7(Vec3 v) { return {round7(v.x), round7(v.y), round7(v.z)}; }

double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

uint32_t rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

uint32_t brightColour(Random& rnd) { return rgb(96 + rnd.below(160), 96 + rnd.below(160), 96 + rnd.below(160)); }

struct Body {
    std::string name;
    double mass, radius;
    Vec3 p, v;
    uint32_t color;
};

void setRecord(ObjectRecord& o, const Body& b) {
    setObjectName(o, b.name.c_str());
    o.mass = b.mass;
    o.radius = b.radius;
    o.x = b.p.x, o.y = b.p.y, o.z = b.p.z;
    o.vx = b.v.x, o.vy = b.v.y, o.vz = b.v.z;
    o.color = b.color;
    o.disabled = 0;
}

// Puts the bodies into the initial configuration and copies it into the
// current one, as a freshly loaded scenery has it.
void setBodies(World& w, const std::vector<Body>& bodies) {
    w.INIT_OBJECTS_N = static_cast<int>(bodies.size());
    for (size_t i = 0; i < bodies.size(); ++i) setRecord(w.initialObjects[i], bodies[i]);
    resetToInitial(w);
}

// Viewpoint from distance and angles, with the position that the
// viewpoint dialog derives from them (12 digits keep a distance such as
// 1.2762815625e10 whole).
void setView(World& w, double distance, double theta, double phi, double alpha) {
    const double t = theta * DEG_TO_RAD, p = phi * DEG_TO_RAD;
    // cos(270 degrees) in radians is 1.8e-16, not 0: snap such dust to 0.
    auto clean = [distance](double v) { return std::fabs(v) < distance * 1e-12 ? 0.0 : roundDigits(v, 12); };
    w.VIEWPOINT_MODE = 0;
    w.VIEWPOINT_DISTANCE = distance;
    w.VIEWPOINT_THETA = theta;
    w.VIEWPOINT_PHI = phi;
    w.VIEWPOINT_ALPHA = alpha;
    w.VIEWPOINT_POSITION_X = clean(distance * std::sin(t) * std::cos(p));
    w.VIEWPOINT_POSITION_Y = clean(distance * std::sin(t) * std::sin(p));
    w.VIEWPOINT_POSITION_Z = clean(distance * std::cos(t));
}

// Settings every example shares: a unit heading (the reader turns a zero
// one into (0, 0, -1), which would not survive reading and writing).
void commonSettings(World& w) {
    w.SPACECRAFT_DIRECTION_X = 0;
    w.SPACECRAFT_DIRECTION_Y = 0;
    w.SPACECRAFT_DIRECTION_Z = -1;
    w.VIEWPOINT_FOV = 10;
    w.VIEW_ROTATING_STEP = 0.22;
}

void setTimeStep(World& w, double dt) {
    w.INIT_SIMULATION_TIME_STEP = dt;
    w.SIMULATION_TIME_STEP = dt;
}

// ---- Solar system -------------------------------------------------------

const Body kSolarSystem[] = {
    {"Sun", 1.9891e30, 6.96e8, {0, 0, 0}, {0, 0, 0}, 0x30ffff},
    {"Mercury", 3.302e23, 2.44e6, {-6.9817079e10, 0, 0}, {0, 0, 3.886e4}, 0xaaaaff},
    {"Venus", 4.8685e24, 6.052e6, {-1.08941849e11, 0, 0}, {0, 0, 3.4784e4}, 0xeeffff},
    {"Earth", 5.9736e24, 6.372795e6, {0, 0, 1.52097701e11}, {2.9291e4, 0, 0}, 0xffeeaa},
    {"Mars", 6.4185e23, 3.38992e6, {2.4922873e11, 0, 0}, {0, 0, -2.1972e4}, 0xdd77ee},
    {"Jupiter", 1.8986e27, 3.9911e7, {0, 0, -8.16081455e11}, {-1.2446e4, 0, 0}, 0x77ddee},
    {"Saturn", 5.6846e26, 2.8232e7, {0, 0, 1.503983449e12}, {9.137e3, 0, 0}, 0x99ffbb},
    {"Uranus", 8.6832e25, 2.5559e7, {0, 0, 3.006389405e12}, {6.486e3, 0, 0}, 0xffffff},
    {"Neptune", 1.0243e26, 2.4764e7, {0, 0, -4.536874325e12}, {-5.385e3, 0, 0}, 0xffcdaa},
    {"Pluto", 1.305e22, 1.153e6, {7.375927931e12, 0, 0}, {0, 0, -3.676e3}, 0xc8e6ff},
};

void solarSystem(World& w, int variant) {
    commonSettings(w);
    setBodies(w, std::vector<Body>(std::begin(kSolarSystem), std::end(kSolarSystem)));
    w.FPS_DESIRED = 100;
    w.DISPLAY_OBJECT_NAMES = 1;
    w.DIM_DISTANT_OBJECTS = 1;
    w.ORIGIN_MODE = 1;
    w.ORIGIN_OBJECT = 0;
    w.VIEWPOINT_MODE = 0;
    w.VIEWPOINT_OBJECT = 0;
    w.VIEWPOINT_DISTANCE = 1e13;
    w.VIEWPOINT_THETA = 90;
    w.VIEWPOINT_PHI = 20;
    w.VIEWPOINT_ALPHA = 0;
    w.VIEWPOINT_POSITION_X = 0;
    w.VIEWPOINT_POSITION_Y = 0;
    w.VIEWPOINT_POSITION_Z = 0;
    w.SPACECRAFT_OBJECT = 0;
    w.SPACECRAFT_TRACKING_OBJECT = 0;
    setTimeStep(w, 100);
    if (variant == 0) {
        w.SCENERY_NAME = "Solar system - heliocentric";
        w.SCENERY_DESCRIPTION =
            "Sun with 9 planets orbiting around: Mercury, Venus, Earth, Mars, Jupiter, Saturn, Uranus, Neptune, "
            "and Pluto.\r\n"
            "Press Space to start, and L for one day per second: Mercury then goes round in 88 s, the Earth in "
            "6 minutes (a month per second, under Action > Speed limit, shows the outer planets move).\r\n"
            "Zoom in with + to follow Mercury, Venus, Earth and Mars; N hides or shows the names, F8 draws trails.";
        return;
    }
    w.ORIGIN_OBJECT = 3;
    w.ORIGIN_POSITION_Z = 1.52097701e11;
    if (variant == 1) {
        w.SCENERY_NAME = "Solar system - geocentric";
        w.SCENERY_DESCRIPTION =
            "The Sun and its 9 planets seen from the Earth: the origin stays on the Earth, so the Sun circles "
            "around it once a year.\r\n"
            "Watch Mercury and Venus swing to and fro beside the Sun, and the outer planets stop and run "
            "backwards for a while (retrograde loops).\r\n"
            "Press Space to start, F8 to draw the trails, + and - to zoom; at a week per second (Action > "
            "Speed limit) the loops form slowly enough to watch.";
        return;
    }
    w.SCENERY_NAME = "Solar system - geocentric (with trails)";
    w.SCENERY_DESCRIPTION =
        "The Sun and its 9 planets seen from the Earth, with trails: each planet draws its path as seen "
        "from the Earth.\r\n"
        "The Sun's path is a circle; the planets draw loops, Venus a five-petalled flower in eight years.\r\n"
        "Press Space to start; F8 switches the trails off and clears them. At a week per second (Action > "
        "Speed limit) the loops grow slowly enough to watch.";
    w.DISPLAY_OBJECT_NAMES = 0;
    w.DIM_DISTANT_OBJECTS = 0;
    w.SHOW_OBJECT_TRAILS = 1;
}

// ---- Clusters: benchmark and N500 ----------------------------------------

// Positions uniform in the cube of half-width `half`, except that no two
// bodies start so close that they would fall into each other from rest
// within `quiet` seconds (the free-fall time of the pair): such a pair
// would meet at once, with a step far too coarse for the encounter.
void clusterPositions(Random& rnd, std::vector<Body>& bodies, double half, double quiet) {
    for (size_t i = 0; i < bodies.size(); ++i) {
        for (bool ok = false; !ok;) {
            bodies[i].p = round7(Vec3{rnd.between(-half, half), rnd.between(-half, half), rnd.between(-half, half)});
            ok = true;
            for (size_t j = 0; j < i && ok; ++j) {
                double d = vecLength(vecSub(bodies[i].p, bodies[j].p));
                double freeFall =
                    1.5707963267948966 * std::sqrt(d * d * d / (2 * G * (bodies[i].mass + bodies[j].mass)));
                ok = freeFall >= quiet;
            }
        }
    }
}

// Random isotropic velocities with speeds in [lo, hi], redrawn until, with
// the net momentum removed, every speed still lies in [min, max]: the
// cluster then stays in the view (origin or not) instead of drifting away.
void clusterVelocities(Random& rnd, std::vector<Body>& bodies, double lo, double hi, double min, double max) {
    for (;;) {
        Vec3 momentum{0, 0, 0};
        double mass = 0;
        for (Body& b : bodies) {
            b.v = vecScale(rnd.direction(), rnd.between(lo, hi));
            momentum = vecAdd(momentum, vecScale(b.v, b.mass));
            mass += b.mass;
        }
        Vec3 drift = vecScale(momentum, 1.0 / mass);
        bool ok = true;
        for (Body& b : bodies) {
            b.v = round7(vecSub(b.v, drift));
            double s = vecLength(b.v);
            ok = ok && s >= min && s <= max;
        }
        if (ok) return;
    }
}

void benchmark(World& w) {
    Random rnd(111);
    commonSettings(w);
    std::vector<Body> bodies(100);
    for (size_t i = 0; i < bodies.size(); ++i) {
        Body& b = bodies[i];
        b.name = "Object " + std::to_string(i + 1);
        b.mass = 2e24;
        b.radius = 6e6;
        b.color = brightColour(rnd);
    }
    // Quiet for the first 5,000 steps of 10 s; the cube collapses after
    // about 17,000.
    clusterPositions(rnd, bodies, 5e8, 5e4);
    clusterVelocities(rnd, bodies, 75, 755, 70, 760);
    setBodies(w, bodies);
    w.PROCESS_PRIORITY = 2;
    w.FPS_DESIRED = 5;
    w.DISPLAY_OBJECTS_AS_DOTS = 1;
    w.DIM_DISTANT_OBJECTS = 1;
    w.ORIGIN_MODE = 0;
    setView(w, 1.2762815625e10, 0, 0, 0);
    setTimeStep(w, 10);
}

// The cube collapses after about 8,500 simulated seconds; a quarter-second
// step makes that tens of thousands of steps, so that the fall can be
// watched on a fast computer and the heavy pairs pass each other smoothly.
constexpr double kN500TimeStep = 0.25;

void n500(World& w) {
    Random rnd(127);
    commonSettings(w);
    std::vector<Body> bodies(500);
    for (size_t i = 0; i < bodies.size(); ++i) {
        Body& b = bodies[i];
        b.name = "Object " + std::to_string(i + 1);
        b.mass = round7(rnd.logBetween(4.7e24, 1e28));
        b.radius = 6e6;
        b.color = brightColour(rnd);
    }
    // Quiet for the first 5,000 s, well before the collapse.
    clusterPositions(rnd, bodies, 1e9, 5e3);
    clusterVelocities(rnd, bodies, 105, 795, 100, 800);
    setBodies(w, bodies);
    w.SCENERY_NAME = "N500";
    w.SCENERY_DESCRIPTION =
        "500 bodies of random mass, from about 5e24 to 1e28 kg, start almost at rest in a cube 2e9 m wide.\r\n"
        "Far too slow to resist their mutual pull, they fall together within a few simulated hours, swarm "
        "through the centre and fling some of their number far out.\r\n"
        "Press Space to start; drag with the mouse or use the arrow keys to turn the view, + and - to zoom.";
    w.ORIGIN_MODE = 0;
    // Seen a little from the side (theta 30, phi 270, alpha 90: x to the
    // right, the +y side tilted away) so that the cube shows its depth.
    setView(w, 2.5e10, 30, 270, 90);
    setTimeStep(w, kN500TimeStep);
}

// ---- Star dust ----------------------------------------------------------

constexpr double kSunMass = 1.9891e30;
constexpr double kSunRadius = 6.96e8;
constexpr double kHydrogenMass = 1.6735e-27;
constexpr double kBohrRadius = 5.29e-11;

// Closest approach to a point mass mu (m^3/s^2) of a body at r with
// velocity v relative to it, from its energy and angular momentum.
double periapsis(Vec3 r, Vec3 v, double mu) {
    double energy = 0.5 * dot(v, v) - mu / vecLength(r);
    Vec3 l = cross(r, v);
    double h2 = dot(l, l);
    double e = std::sqrt(std::max(0.0, 1 + 2 * energy * h2 / (mu * mu)));
    return h2 / (mu * (1 + e));
}

// The star at the origin and 200 atoms in a ball of radius 3e10 m whose
// centre starts 7.5e10 m away on the -x side, all moving at about 140 km/s
// along +x. Atoms that would come closer to the star than 3 stellar radii
// are drawn again: a pass near the singular centre would need a far
// smaller time step.
std::vector<Body> starDust() {
    Random rnd(128);
    std::vector<Body> bodies;
    bodies.push_back({"Star", kSunMass, kSunRadius, {0, 0, 0}, {0, 0, 0}, 0x30ffff});
    const uint32_t palette[] = {0xffd0c0, 0xffe8d8, 0xc8c8ff, 0xe0d0ff, 0xffffff, 0xd8f0ff};
    while (bodies.size() < 201) {
        Body b;
        b.name = "H atom " + std::to_string(bodies.size());
        b.mass = kHydrogenMass;
        b.radius = kBohrRadius;
        b.p = round7(vecAdd(Vec3{-7.5e10, 0, 0}, rnd.inBall(3e10)));
        b.v = round7(vecAdd(Vec3{1.4e5, 0, 0}, vecScale(rnd.inBall(1.0), 3e3)));
        b.color = palette[rnd.below(6)];
        if (periapsis(b.p, b.v, G * kSunMass) < 3 * kSunRadius) continue;
        bodies.push_back(b);
    }
    return bodies;
}

void starDustSettings(World& w) {
    commonSettings(w);
    w.SCENERY_NAME = "Star Dust 1";
    w.CALCULATE_RELATIVISTIC_MASSES = 1;
    w.ORIGIN_MODE = 1;
    w.ORIGIN_OBJECT = 0;
    setTimeStep(w, 10);
}

void starDust1(World& w) {
    starDustSettings(w);
    setBodies(w, starDust());
    w.SCENERY_DESCRIPTION =
        "A Sun-like star and a cloud of 200 hydrogen atoms passing it at about 140 km/s.\r\n"
        "Atoms that come close swing round the star; the others are bent behind it and gather in a narrow "
        "stream that points away from the star.\r\n"
        "Press Space to start; F8 draws the atoms' trails, the arrow keys turn the view. Press L for one day "
        "per second: the pass then takes 11 s.";
    // Seen from above the flight path (theta 60, phi 270, alpha 90: the
    // atoms fly from left to right).
    setView(w, 1.25e12, 60, 270, 90);
}

// The same cloud, and a spacecraft 1.2e11 m above the star's pole coming in
// at 200 km/s with its nose on the star; its line of flight misses the
// centre by 5e9 m, which the star's pull bends into a swing round it at
// about 2.5e9 m (3.6 stellar radii).
void starDust1Flyby(World& w) {
    starDustSettings(w);
    setBodies(w, starDust());
    w.SCENERY_DESCRIPTION =
        "Star Dust 1 seen from a spacecraft that dives towards the star while the cloud of hydrogen atoms "
        "sweeps past it.\r\n"
        "Auto-tracking keeps the star in the middle of the view (Scroll Lock switches it); the spacecraft "
        "swings round the star at a few stellar radii.\r\n"
        "Page Up and Page Down fire the engine forward and backward, the arrow keys steer, End stops, "
        "F12 leaves spacecraft mode. An hour per second (Action > Speed limit) leaves time to steer.";
    const double height = 1.2e11, speed = 2e5, miss = 5e9;
    ObjectRecord& craft = w.objects[w.OBJECTS_N];
    setRecord(craft, {"Survey Vessel of Captain Orlo",
                      1e4,
                      100,
                      {0, 0, height},
                      round7(Vec3{speed * miss / height, 0, -speed}),
                      0xffffff});
    w.SPACECRAFT_OBJECT = w.OBJECTS_N;
    w.OBJECTS_N += 1;
    w.SPACECRAFT_MODE = 1;
    // What the spacecraft dialog proposes for 10,000 kg: the force that
    // brings the craft from rest to 0.99 c in one step.
    w.SPACECRAFT_THRUST_FORCE_MAX = round7(1e4 * 296794533.42 / (std::sqrt(0.0199) * w.SIMULATION_TIME_STEP));
    // Engaging starts at max^0.3.
    w.SPACECRAFT_THRUST_FORCE = round7(std::pow(w.SPACECRAFT_THRUST_FORCE_MAX, 0.3));
    w.SPACECRAFT_TRACKING_MODE = 2;
    w.SPACECRAFT_TRACKING_OBJECT = 0;
    w.SPACECRAFT_AUTOTRACKING = 1;
    // As a frame in spacecraft mode derives them: the viewpoint on the
    // craft, the origin on the tracked star straight ahead.
    w.VIEWPOINT_MODE = 1;
    w.VIEWPOINT_OBJECT = w.SPACECRAFT_OBJECT;
    w.VIEWPOINT_DISTANCE = height;
    w.VIEWPOINT_THETA = 0;
    w.VIEWPOINT_PHI = 0;
    w.VIEWPOINT_ALPHA = 0;
    w.VIEWPOINT_POSITION_X = 0;
    w.VIEWPOINT_POSITION_Y = 0;
    w.VIEWPOINT_POSITION_Z = height;
    w.VIEWPOINT_FOV = 60;
    w.DISPLAY_STATIC_SCENERY = 1;
    w.STATIC_SCENERY_OBJECTS_N = 10000;
}

// ---- Planetary systems creation ------------------------------------------

constexpr double kStarMass = 1.98e30;

struct DiscShape {
    uint64_t seed;
    double innerRadius, outerRadius;  // m
    double gapFrom, gapTo;            // m, radii left empty (gapFrom == gapTo: none)
    double maxInclination;            // tangent of the largest tilt of an orbit
    double speedSpread;               // largest relative change of the circular speed
    double radialSpread;              // largest radial velocity, relative to the circular speed
};

// 200 bodies of about 3e23 kg on nearly circular, prograde orbits about the
// z axis, then the star as object 201 at the origin, moving just enough
// that the whole system has no net momentum.
std::vector<Body> planetarySystem(const DiscShape& s) {
    Random rnd(s.seed);
    std::vector<Body> bodies;
    Vec3 momentum{0, 0, 0};
    while (bodies.size() < 200) {
        // Uniform in area between the two radii.
        double r = std::sqrt(rnd.between(s.innerRadius * s.innerRadius, s.outerRadius * s.outerRadius));
        if (r > s.gapFrom && r < s.gapTo) continue;
        Body b;
        b.name = "Planetesimal " + std::to_string(bodies.size() + 1);
        b.mass = round7(rnd.between(2.5e23, 3.5e23));
        // Rocky density, about 3 t/m^3.
        b.radius = round7(2.88e6 * std::cbrt(b.mass / 3e23));
        Vec3 tilt = vecScale(rnd.planeDirection(), s.maxInclination * std::sqrt(rnd.unit()));
        Vec3 normal = vecNormalise({tilt.x, tilt.y, 1});
        Vec3 u = rnd.planeDirection();
        u = vecNormalise(vecSub(u, vecScale(normal, dot(u, normal))));
        double circular = std::sqrt(G * (kStarMass + b.mass) / r);
        Vec3 along = vecScale(cross(normal, u), circular * (1 + rnd.between(-s.speedSpread, s.speedSpread)));
        Vec3 out = vecScale(u, circular * rnd.between(-s.radialSpread, s.radialSpread));
        b.p = round7(vecScale(u, r));
        b.v = round7(vecAdd(along, out));
        int shade = rnd.below(60);
        b.color = rgb(150 + shade + rnd.below(40), 120 + shade + rnd.below(30), 90 + shade);
        momentum = vecAdd(momentum, vecScale(b.v, b.mass));
        bodies.push_back(b);
    }
    bodies.push_back({"Star", kStarMass, 6.96e8, {0, 0, 0}, round7(vecScale(momentum, -1.0 / kStarMass)), 0x80ffff});
    return bodies;
}

void planetarySystemCreation(World& w, int variant) {
    // 1: a thin, cold disc; 2: two rings, a little warmer; 3: a wide, thick
    // and stirred-up disc.
    const DiscShape shapes[] = {
        {123, 4e10, 2.5e11, 0, 0, 0.01, 0.02, 0.01},
        {124, 5e10, 2.6e11, 1e11, 1.7e11, 0.03, 0.05, 0.03},
        {125, 3e10, 3e11, 0, 0, 0.12, 0.08, 0.08},
    };
    const char* descriptions[] = {
        "200 planetesimals of about 3e23 kg on nearly circular orbits in a thin, flat disc round a young star "
        "of 1.98e30 kg.\r\n"
        "The inner bodies lap the outer ones many times; over many orbits their mutual pulls slowly stir "
        "the disc.\r\n"
        "Press Space to start; the origin stays on the star (object 201). F8 draws the orbits; at a week per "
        "second (Action > Speed limit) the inner bodies go round in a few seconds.",
        "200 planetesimals of about 3e23 kg in two rings round a young star of 1.98e30 kg, with an empty gap "
        "between them.\r\n"
        "The orbits are slightly eccentric and tilted, so the rings thicken as they turn; watch whether the "
        "gap stays clear.\r\n"
        "Press Space to start; the origin stays on the star (object 201). F8 draws the orbits; at a week per "
        "second (Action > Speed limit) the inner bodies go round in a few seconds.",
        "200 planetesimals of about 3e23 kg in a wide, thick and stirred-up disc round a young star of "
        "1.98e30 kg.\r\n"
        "Eccentric orbits tilted by up to 7 degrees cross each other's paths, and the disc spreads as it "
        "turns.\r\n"
        "Press Space to start; the origin stays on the star (object 201). F8 draws the orbits; at a week per "
        "second (Action > Speed limit) the inner bodies go round in a few seconds.",
    };
    commonSettings(w);
    setBodies(w, planetarySystem(shapes[variant]));
    w.SCENERY_DESCRIPTION = descriptions[variant];
    w.CALCULATE_RELATIVISTIC_MASSES = 1;
    w.ORIGIN_MODE = 1;
    w.ORIGIN_OBJECT = 200;
    setTimeStep(w, 1000);
    // The disc from above at three different tilts (alpha 90 keeps +x to
    // the right).
    const double thetas[] = {35, 55, 75};
    setView(w, 4e12, thetas[variant], 270, 90);
}

struct Example {
    const char* fileName;
    std::function<void(World&)> build;
};

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const Example examples[] = {
        {"Benchmark.nbx", benchmark},
        {"N500.nbx", n500},
        {"Solar_system-heliocentric.nbx", [](World& w) { solarSystem(w, 0); }},
        {"Solar_system-geocentric.nbx", [](World& w) { solarSystem(w, 1); }},
        {"Solar_system-geocentric-trails.nbx", [](World& w) { solarSystem(w, 2); }},
        {"Star_dust_1.nbx", starDust1},
        {"Star_dust_1_flyby.nbx", starDust1Flyby},
        {"Planetary_system_creation_1.nbx", [](World& w) { planetarySystemCreation(w, 0); }},
        {"Planetary_system_creation_2.nbx", [](World& w) { planetarySystemCreation(w, 1); }},
        {"Planetary_system_creation_3.nbx", [](World& w) { planetarySystemCreation(w, 2); }},
    };
    int failures = 0;
    for (const Example& e : examples) {
        World world;
        e.build(world);
        std::string path = std::string(argv[1]) + "/" + e.fileName;
        std::string text = sceneryText(world);
        if (writeText(path, text)) {
            std::printf("%-36s %8zu bytes\n", e.fileName, text.size());
        } else {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
