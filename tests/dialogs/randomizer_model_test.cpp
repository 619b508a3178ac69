#include "dialogs/objects/randomizer_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vantor::dialogs {
namespace {

struct Bounds {
    ObjectRecord low{}, high{};
    Bounds() { low.color = high.color = 0xFFFFFF; }
};

void fillTable(World& w, int config, int n) {
    ObjectRecord* table = config == 0 ? w.initialObjects.get() : w.objects.get();
    for (int i = 0; i < n; ++i) {
        setObjectName(table[i], ("Old " + std::to_string(i + 1)).c_str());
        table[i].mass = 42;
    }
    (config == 0 ? w.INIT_OBJECTS_N : w.OBJECTS_N) = n;
}

TEST(Randomizer, ZeroBoundsAppendObjectsAtTheOrigin) {
    World w;
    fillTable(w, 0, 2);
    Bounds b;
    EXPECT_EQ(createRandomObjects(w, 0, 3, b.low, b.high, -1, 1), 3);
    EXPECT_EQ(w.INIT_OBJECTS_N, 5);
    EXPECT_EQ(w.OBJECTS_N, 0);
    EXPECT_EQ(w.sceneryModified, 1);
    for (int i = 2; i < 5; ++i) {
        const ObjectRecord& o = w.initialObjects[i];
        EXPECT_EQ(o.name, "Object " + std::to_string(i + 1));
        EXPECT_EQ(o.x, 0);
        EXPECT_EQ(o.vy, 0);
        EXPECT_EQ(o.mass, 0);
        EXPECT_EQ(o.color, 0xFFFFFFu);
        EXPECT_EQ(o.disabled, 0);
    }
    EXPECT_STREQ(w.initialObjects[1].name, "Old 2");
}

TEST(Randomizer, OverwriteFromAnObjectThenAppend) {
    World w;
    fillTable(w, 1, 4);
    Bounds b;
    b.low.mass = b.high.mass = 7;
    EXPECT_EQ(createRandomObjects(w, 1, 5, b.low, b.high, 2, 1), 5);
    EXPECT_EQ(w.OBJECTS_N, 7);
    EXPECT_STREQ(w.objects[1].name, "Old 2");
    EXPECT_EQ(w.objects[1].mass, 42);
    for (int i = 2; i < 7; ++i) {
        EXPECT_EQ(w.objects[i].name, "Object " + std::to_string(i + 1));
        EXPECT_EQ(w.objects[i].mass, 7);
    }
}

TEST(Randomizer, StartPastTheEndAppends) {
    World w;
    fillTable(w, 1, 2);
    Bounds b;
    EXPECT_EQ(createRandomObjects(w, 1, 1, b.low, b.high, 10, 1), 1);
    EXPECT_EQ(w.OBJECTS_N, 3);
    EXPECT_STREQ(w.objects[2].name, "Object 3");
}

TEST(Randomizer, NothingToCreate) {
    World w;
    Bounds b;
    EXPECT_EQ(createRandomObjects(w, 0, 0, b.low, b.high, -1, 1), 0);
    EXPECT_EQ(w.INIT_OBJECTS_N, 0);
    EXPECT_EQ(w.sceneryModified, 0);
}

TEST(Randomizer, StopsAtTheTableLimit) {
    World w;
    w.OBJECTS_N = MAX_OBJECTS - 2;
    Bounds b;
    EXPECT_EQ(createRandomObjects(w, 1, 5, b.low, b.high, -1, 1), 2);
    EXPECT_EQ(w.OBJECTS_N, MAX_OBJECTS);
    EXPECT_EQ(createRandomObjects(w, 1, 5, b.low, b.high, -1, 1), 0);
    EXPECT_EQ(w.OBJECTS_N, MAX_OBJECTS);
}

TEST(Randomizer, ASeedReproducesTheObjects) {
    Bounds b;
    b.low.x = -1e12, b.high.x = 1e12;
    b.low.mass = 1, b.high.mass = 1e30;
    b.low.color = 0, b.high.color = 0xFFFFFF;
    World first, second;
    createRandomObjects(first, 0, 50, b.low, b.high, -1, 99);
    createRandomObjects(second, 0, 50, b.low, b.high, -1, 99);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(first.initialObjects[i].x, second.initialObjects[i].x);
        EXPECT_EQ(first.initialObjects[i].mass, second.initialObjects[i].mass);
        EXPECT_EQ(first.initialObjects[i].color, second.initialObjects[i].color);
    }
}

// Each quantity between its bounds: ten decades apart logarithmic, one
// decade apart uniform.
TEST(Randomizer, MassRangesDrawnLogarithmicOrUniform) {
    const int n = 3000;
    {
        World w;
        Bounds b;
        b.low.mass = 1e20, b.high.mass = 1e30;
        createRandomObjects(w, 0, n, b.low, b.high, -1, 5);
        int decades[10] = {};
        for (int i = 0; i < n; ++i) {
            const double m = w.initialObjects[i].mass;
            ASSERT_GE(m, 1e20);
            ASSERT_LE(m, 1e30 + 1e20);
            ++decades[std::min(9, static_cast<int>(std::floor(std::log10(m))) - 20)];
        }
        for (int d = 0; d < 10; ++d) EXPECT_GT(decades[d], 0) << "decade " << d + 20;
    }
    {
        World w;
        Bounds b;
        b.low.mass = 1e30, b.high.mass = 1e29;  // either bound may be the larger one
        createRandomObjects(w, 0, n, b.low, b.high, -1, 5);
        int lowestNinth = 0;
        for (int i = 0; i < n; ++i) {
            const double m = w.initialObjects[i].mass;
            ASSERT_GE(m, 1e29);
            ASSERT_LE(m, 1e30);
            if (m < 2e29) ++lowestNinth;
        }
        EXPECT_NEAR(lowestNinth / double(n), 1 / 9.0, 0.03);
    }
}

TEST(Randomizer, PositionsAndVelocitiesStayWithinTheirBounds) {
    World w;
    Bounds b;
    b.low.x = -5, b.high.x = 5;
    b.low.y = 0, b.high.y = 1e30;  // a bound of 0 is uniform
    b.low.vz = 100, b.high.vz = -100;
    b.low.radius = 1, b.high.radius = 2;
    createRandomObjects(w, 1, 500, b.low, b.high, -1, 3);
    double ySum = 0;
    for (int i = 0; i < 500; ++i) {
        const ObjectRecord& o = w.objects[i];
        EXPECT_GE(o.x, -5);
        EXPECT_LE(o.x, 5);
        EXPECT_GE(o.vz, -100);
        EXPECT_LE(o.vz, 100);
        EXPECT_GE(o.radius, 1);
        EXPECT_LE(o.radius, 2);
        ySum += o.y;
    }
    EXPECT_NEAR(ySum / 500 / 1e30, 0.5, 0.1);
}

TEST(Randomizer, ColourBytes) {
    const struct {
        uint32_t low, high;
        int minRed, maxRed, minGreen, maxGreen, minBlue, maxBlue;  // limits seen over 2000 objects
    } cases[] = {
        {0x000000, 0x0000FF, 0, 5, 0, 0, 0, 0},            // red anywhere in 0..255
        {0x00AA0000, 0x00AA0000, 0, 0, 0, 0, 0xAA, 0xAA},  // equal bounds: exactly that value
        {0x00000080, 0x00000010, 0x10, 0x12, 0, 0, 0, 0},  // high below low
    };
    for (const auto& c : cases) {
        World w;
        Bounds b;
        b.low.color = c.low, b.high.color = c.high;
        createRandomObjects(w, 0, 2000, b.low, b.high, -1, 11);
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (int i = 0; i < 2000; ++i) {
            for (int k = 0; k < 3; ++k) {
                const int v = (w.initialObjects[i].color >> (8 * k)) & 0xFF;
                lo[k] = std::min(lo[k], v);
                hi[k] = std::max(hi[k], v);
            }
        }
        EXPECT_LE(lo[0], c.maxRed) << std::hex << c.low;
        EXPECT_GE(lo[0], c.minRed) << std::hex << c.low;
        EXPECT_EQ(lo[1], c.minGreen);
        EXPECT_EQ(hi[1], c.maxGreen);
        EXPECT_EQ(lo[2], c.minBlue);
        EXPECT_EQ(hi[2], c.maxBlue);
        if (c.low == 0 && c.high == 0xFF) {
            EXPECT_GE(hi[0], 250);
        }
        if (c.low == 0x80) {
            EXPECT_EQ(hi[0], 0x80);
        }
    }
}

}  // namespace
}  // namespace vantor::dialogs
