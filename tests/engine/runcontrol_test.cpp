#include "engine/runcontrol.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(RunControl, SeparateAutosaveNamesSplitTheFileNameOnly) {
    const std::tm t = at(2006, 5, 15, 14, 30, 5);
    const struct { const char* path; const char* expected; } cases[] = {
        {"/sims/orbit.nbx", "/sims/orbit_20060515-143005.nbx"},
        {"orbit.nbx", "orbit_20060515-143005.nbx"},
        {"/home/me/my.sims/orbit", "/home/me/my.sims/orbit_20060515-143005"},
        {"/sims/orbit.v2.nbx", "/sims/orbit.v2_20060515-143005.nbx"},
        {"noext", "noext_20060515-143005"},
    };
    for (auto c : cases) EXPECT_EQ(separateAutosaveName(c.path, t), c.expected) << c.path;
}

TEST(RunControl, AutosaveTimestampText) {
    EXPECT_EQ(autosaveTimestampText(at(2006, 5, 15, 14, 30, 5)), "Autosave timestamp: 14:30h, 2006-5-15");
    EXPECT_EQ(autosaveTimestampText(at(2026, 12, 9, 9, 5, 0)), "Autosave timestamp: 9:5h, 2026-12-9");
}

}  // namespace
}  // namespace vantor
