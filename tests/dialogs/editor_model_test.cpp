#include "dialogs/objects/editor_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialogs/common/field_text.h"

namespace vantor::dialogs {
namespace {

ObjectRecord& addObject(World& w, int config, const char* name, double mass) {
    ObjectRecord* table = config == EDITOR_INITIAL ? w.initialObjects.get() : w.objects.get();
    int& n = config == EDITOR_INITIAL ? w.INIT_OBJECTS_N : w.OBJECTS_N;
    ObjectRecord& o = table[n++];
    setObjectName(o, name);
    o.mass = mass;
    return o;
}

TEST(FieldText, WholeNumbers) {
    const struct {
        const char* text;
        int64_t value;
    } cases[] = {
        {"0", 0},
        {"255", 255},
        {"  42", 42},
        {"+7", 7},
        {"-3", -3},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"3.9", 3},
        {"99999999999999999999999999", 1'000'000'000'000'000'000},
    };
    for (const auto& c : cases) EXPECT_EQ(parseWholeNumber(c.text), c.value) << c.text;
}

TEST(FieldText, FiniteReals) {
    EXPECT_EQ(parseFiniteReal("2.5e3", 7), 2500);
    EXPECT_EQ(parseFiniteReal("text", 7), 0);   // not a number reads as 0
    EXPECT_EQ(parseFiniteReal("1e999", 7), 7);  // out of range keeps the old value
    EXPECT_EQ(parseFiniteReal("-1e999", 7), 7);
    EXPECT_EQ(parseFiniteReal("123456", 7, 3), 123);  // only the first characters count
}

TEST(EditorFields, ShowAndReadBackAreTheSameRecord) {
    ObjectRecord r{};
    setObjectName(r, "Moon");
    r.mass = 7.349e22, r.radius = 1.7374e6;
    r.x = -1.5e11, r.y = 0.1, r.z = 3;
    r.vx = 1e3, r.vy = -2e-3, r.vz = 0;
    r.color = 0x00332211;
    r.disabled = 2;
    const ObjectFields f = objectFields(r);
    EXPECT_EQ(f.name, "Moon");
    EXPECT_EQ(f.red, "17");
    EXPECT_EQ(f.green, "34");
    EXPECT_EQ(f.blue, "51");
    EXPECT_TRUE(f.disabled);
    EXPECT_TRUE(f.visible);
    ObjectRecord back{};
    readObjectFields(f, back);
    EXPECT_STREQ(back.name, "Moon");
    for (auto m : {&ObjectRecord::mass, &ObjectRecord::radius, &ObjectRecord::x, &ObjectRecord::y, &ObjectRecord::z,
                   &ObjectRecord::vx, &ObjectRecord::vy, &ObjectRecord::vz})
        EXPECT_EQ(back.*m, r.*m);
    EXPECT_EQ(back.color, r.color);
    EXPECT_EQ(back.disabled, 2);
    std::free(r.name);
    std::free(back.name);
}

TEST(EditorFields, ReadingRules) {
    const struct {
        const char* what;
        ObjectFields fields;
        double mass, radius, x;
        uint32_t color;
        int disabled;
        const char* name;
    } cases[] = {
        {"plain",
         {"Sun", "2e30", "7e8", "1", "", "", "", "", "", "1", "2", "3", false, false},
         2e30,
         7e8,
         1,
         0x030201,
         0,
         "Sun"},
        {"negative mass and radius",
         {"a", "-5", "-3", "-1", "", "", "", "", "", "", "", "", false, false},
         5,
         3,
         -1,
         0,
         0,
         "a"},
        {"mass 0 disables", {"a", "0", "1", "0", "", "", "", "", "", "", "", "", false, false}, 0, 1, 0, 0, 1, "a"},
        {"text reads as 0",
         {"a", "heavy", "big", "far", "", "", "", "", "", "red", "", "", false, false},
         0,
         0,
         0,
         0,
         1,
         "a"},
        {"out of range keeps the value",
         {"a", "1e999", "-1e999", "1e400", "", "", "", "", "", "", "", "", false, false},
         9,
         8,
         6,
         0,
         0,
         "a"},
        {"colour bytes modulo 256",
         {"a", "1", "1", "0", "", "", "", "", "", "300", "-1", "12abc", false, false},
         1,
         1,
         0,
         0x0CFF2C,
         0,
         "a"},
        {"visible alone is active",
         {"a", "1", "1", "0", "", "", "", "", "", "", "", "", false, true},
         1,
         1,
         0,
         0,
         0,
         "a"},
        {"disabled", {"a", "1", "1", "0", "", "", "", "", "", "", "", "", true, false}, 1, 1, 0, 0, 1, "a"},
        {"disabled but visible", {"a", "1", "1", "0", "", "", "", "", "", "", "", "", true, true}, 1, 1, 0, 0, 2, "a"},
        {"name brackets and trailing blanks",
         {"[Big] one  \r\n", "1", "1", "0", "", "", "", "", "", "", "", "", false, false},
         1,
         1,
         0,
         0,
         0,
         "(Big) one"},
    };
    for (const auto& c : cases) {
        ObjectRecord r{};
        r.mass = 9, r.radius = 8, r.x = 6;
        readObjectFields(c.fields, r);
        EXPECT_EQ(r.mass, c.mass) << c.what;
        EXPECT_EQ(r.radius, c.radius) << c.what;
        EXPECT_EQ(r.x, c.x) << c.what;
        EXPECT_EQ(r.color, c.color) << c.what;
        EXPECT_EQ(r.disabled, c.disabled) << c.what;
        EXPECT_STREQ(r.name, c.name) << c.what;
        std::free(r.name);
    }
}

TEST(EditorFields, NamesAreCutTo500Characters) {
    const ObjectFields f{std::string(700, 'n'), "1", "1", "0", "0", "0", "0", "0", "0", "0", "0", "0", false, false};
    ObjectRecord r{};
    readObjectFields(f, r);
    EXPECT_EQ(std::strlen(r.name), 500u);
    std::free(r.name);
}

TEST(EditorTables, WorkingCopiesOwnTheirNames) {
    World w;
    addObject(w, EDITOR_INITIAL, "A", 1);
    addObject(w, EDITOR_CURRENT, "B", 2);
    addObject(w, EDITOR_CURRENT, "C", 3);
    EditorTables t(w);
    EXPECT_EQ(t.count(EDITOR_INITIAL), 1);
    EXPECT_EQ(t.count(EDITOR_CURRENT), 2);
    EXPECT_STREQ(t.record(EDITOR_CURRENT, 1).name, "C");
    EXPECT_NE(t.record(EDITOR_CURRENT, 1).name, w.objects[1].name);
    setObjectName(t.record(EDITOR_CURRENT, 1), "changed");
    EXPECT_STREQ(w.objects[1].name, "C");  // nothing reaches the world before a commit
}

TEST(EditorTables, AddAppendsAWhiteObjectNamedByItsNumber) {
    World w;
    addObject(w, EDITOR_INITIAL, "A", 1);
    EditorTables t(w);
    EXPECT_EQ(t.addObject(EDITOR_INITIAL, 0), 1);
    const ObjectRecord& r = t.record(EDITOR_INITIAL, 1);
    EXPECT_STREQ(r.name, "Object 2");
    EXPECT_EQ(r.color, 0xFFFFFFu);
    EXPECT_EQ(r.mass, 0);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.vz, 0);
    EXPECT_EQ(r.disabled, 0);
    EXPECT_EQ(t.addObject(EDITOR_CURRENT, 0), 0);
    EXPECT_STREQ(t.record(EDITOR_CURRENT, 0).name, "Object 1");
}

TEST(EditorTables, AddStopsAtTheLimit) {
    World w;
    w.INIT_OBJECTS_N = MAX_OBJECTS;
    EditorTables t(w);
    EXPECT_EQ(t.addObject(EDITOR_INITIAL, 123), 123);
    EXPECT_EQ(t.count(EDITOR_INITIAL), MAX_OBJECTS);
}

TEST(EditorTables, DeleteChoosesTheObjectToShowNext) {
    const struct {
        int count, remove, next, left;
        const char* shownName;  // at `next` afterwards
    } cases[] = {
        {3, 1, 1, 2, "O3"},                               // the following object moves down
        {3, 2, 1, 2, "O2"},                               // the last: the new last
        {1, 0, -1, 0, nullptr},                           // the only one: empty
        {3, 3, -1, 3, nullptr},                           // out of range: nothing happens
        {3, -1, -1, 3, nullptr}, {0, 0, -1, 0, nullptr},  // empty
    };
    for (const auto& c : cases) {
        World w;
        for (int i = 0; i < c.count; ++i) {
            const std::string name = std::to_string(i + 1);
            addObject(w, EDITOR_CURRENT, ("O" + name).c_str(), 1);
        }
        EditorTables t(w);
        EXPECT_EQ(t.deleteObject(EDITOR_CURRENT, c.remove), c.next) << c.count << " " << c.remove;
        EXPECT_EQ(t.count(EDITOR_CURRENT), c.left);
        if (c.shownName) {
            EXPECT_STREQ(t.record(EDITOR_CURRENT, c.next).name, c.shownName);
        }
    }
}

TEST(EditorTables, CommitReplacesBothTables) {
    World w;
    addObject(w, EDITOR_INITIAL, "I1", 1);
    addObject(w, EDITOR_INITIAL, "I2", 2);
    addObject(w, EDITOR_CURRENT, "C1", 3);
    EditorTables t(w);
    t.deleteObject(EDITOR_INITIAL, 0);
    t.addObject(EDITOR_CURRENT, 0);
    t.record(EDITOR_CURRENT, 0).vx = 12;
    EXPECT_TRUE(t.commit(w));
    EXPECT_EQ(w.sceneryModified, 1);
    EXPECT_EQ(w.INIT_OBJECTS_N, 1);
    EXPECT_EQ(w.OBJECTS_N, 2);
    EXPECT_STREQ(w.initialObjects[0].name, "I2");
    EXPECT_EQ(w.initialObjects[0].mass, 2);
    EXPECT_STREQ(w.objects[1].name, "Object 2");
    EXPECT_EQ(w.objects[0].vx, 12);
    EXPECT_NE(w.objects[1].name, t.record(EDITOR_CURRENT, 1).name);  // the world owns its copy
}

TEST(EditorTables, CommitWithoutChangesLeavesTheSceneryUnmodified) {
    World w;
    addObject(w, EDITOR_CURRENT, "C1", 3).x = 5;
    setObjectName(w.objects[0], nullptr);  // no name reads like an empty one
    EditorTables t(w);
    readObjectFields(objectFields(t.record(EDITOR_CURRENT, 0)), t.record(EDITOR_CURRENT, 0));
    EXPECT_FALSE(t.commit(w));
    EXPECT_EQ(w.sceneryModified, 0);
}

}  // namespace
}  // namespace vantor::dialogs
