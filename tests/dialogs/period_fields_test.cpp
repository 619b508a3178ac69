// The period fields of the autosave and automatic stop dialogs without
// widgets: splitting, reading, the arrows' counting and storing.
#include "dialogs/settings/period_fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace vantor;
using namespace vantor::dialogs;

TEST(PeriodFields, SplitRealTime) {
    const struct {
        long long seconds;
        RealPeriodFields fields;
    } cases[] = {
        {90'061, {"1", "1", "1", "1"}},    {0, {"0", "0", "0", "0"}},          {-5, {"0", "0", "0", "0"}},
        {86'399, {"0", "23", "59", "59"}}, {2'592'000, {"30", "0", "0", "0"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(realPeriodFields(c.seconds), c.fields) << c.seconds;
        if (c.seconds >= 0) {
            EXPECT_EQ(realPeriodSeconds(c.fields), static_cast<double>(c.seconds));
        }
    }
}

TEST(PeriodFields, SplitSimulatedTime) {
    const struct {
        double seconds;
        SimulatedPeriodFields fields;
    } cases[] = {
        {66'225'600'000.0, {"2", "100", "0", "0", "0", "0"}},
        {1000.7, {"0", "0", "0", "0", "16", "40"}},  // the fraction of a second is dropped
        {31'535'999.0, {"0", "0", "364", "23", "59", "59"}},
        {1e12, {"31", "709", "289", "1", "46", "40"}},
        {-1.0, {"0", "0", "0", "0", "0", "0"}},
        {std::nan(""), {"0", "0", "0", "0", "0", "0"}},
    };
    for (const auto& c : cases) EXPECT_EQ(simulatedPeriodFields(c.seconds), c.fields) << c.seconds;
    EXPECT_EQ(simulatedPeriodSeconds({"2", "100", "0", "0", "0", "0"}), 66'225'600'000.0);
    EXPECT_EQ(simulatedPeriodSeconds(simulatedPeriodFields(1e12)), 1e12);
}

TEST(PeriodFields, FieldValue) {
    const struct {
        const char* text;
        long long value;
    } cases[] = {{"", 0},
                 {"abc", 0},
                 {"  42", 42},
                 {"12x", 12},
                 {"007", 7},
                 {"-3", 0},
                 {"99999999999999999999", 999'999'999'999'999LL}};
    for (const auto& c : cases) EXPECT_EQ(periodFieldValue(c.text), c.value) << c.text;
}

TEST(PeriodFields, SumsOfHugeFieldsStayFinite) {
    const std::string big(PERIOD_FIELD_DIGITS, '9');
    EXPECT_TRUE(std::isfinite(simulatedPeriodSeconds({big, big, big, big, big, big})));
    EXPECT_TRUE(std::isfinite(realPeriodSeconds({big, big, big, big})));
}

TEST(PeriodFields, RealTimeArrowUpCarries) {
    const struct {
        RealPeriodFields before;
        int index;
        RealPeriodFields after;
    } cases[] = {
        {{"0", "23", "59", "59"}, 3, {"1", "0", "0", "0"}},  // carries up to a day
        {{"0", "0", "0", "58"}, 3, {"0", "0", "0", "59"}},
        {{"0", "0", "59", "5"}, 2, {"0", "1", "0", "5"}},
        {{"0", "30", "0", "0"}, 1, {"1", "0", "0", "0"}},  // typed above the top
        {{"364", "0", "0", "0"}, 0, {"365", "0", "0", "0"}},
        {{"365", "23", "59", "59"}, 3, {"365", "0", "0", "0"}},  // days stop at 365
        {{"400", "0", "0", "0"}, 0, {"400", "0", "0", "0"}},
        {{"1", "2", "3", ""}, 3, {"1", "2", "3", ""}},     // an empty field does nothing
        {{"", "23", "59", "59"}, 3, {"", "0", "0", "0"}},  // nor does a carry into one
        {{"0", "0", "0", "007"}, 3, {"0", "0", "0", "8"}},
    };
    for (const auto& c : cases) {
        RealPeriodFields fields = c.before;
        periodArrowUp(fields, c.index);
        EXPECT_EQ(fields, c.after) << c.before[0] << ":" << c.before[1] << ":" << c.before[2] << ":" << c.before[3];
    }
}

TEST(PeriodFields, SimulatedTimeArrowUpCarries) {
    const struct {
        SimulatedPeriodFields before;
        int index;
        SimulatedPeriodFields after;
    } cases[] = {
        {{"0", "0", "363", "0", "0", "0"}, 2, {"0", "0", "364", "0", "0", "0"}},
        {{"0", "0", "364", "0", "0", "0"}, 2, {"0", "1", "0", "0", "0", "0"}},
        {{"0", "999", "364", "23", "59", "59"}, 5, {"1", "0", "0", "0", "0", "0"}},
        {{"999999", "0", "0", "0", "0", "0"}, 0, {"1000000", "0", "0", "0", "0", "0"}},
        {{"1000000", "999", "364", "23", "59", "59"}, 5, {"1000000", "0", "0", "0", "0", "0"}},
    };
    for (const auto& c : cases) {
        SimulatedPeriodFields fields = c.before;
        periodArrowUp(fields, c.index);
        EXPECT_EQ(fields, c.after) << c.index;
    }
}

TEST(PeriodFields, ArrowDownNeverBorrows) {
    const struct {
        const char* before;
        const char* after;
    } cases[] = {{"5", "4"}, {"1", "0"}, {"0", "0"}, {"", ""}, {"60", "59"}};
    for (const auto& c : cases) {
        std::string field = c.before;
        periodArrowDown(field);
        EXPECT_EQ(field, c.after) << c.before;
    }
}

TEST(PeriodFields, StoreAutosave) {
    const struct {
        const char* name;
        AutosaveForm form;
        int enabled, period, separate, modified;
    } cases[] = {
        {"checked with no period stays off", {true, {"0", "0", "0", "0"}, false}, 0, 0, 0, 0},
        {"checked with a period", {true, {"0", "0", "1", "30"}, false}, 1, 90, 0, 1},
        {"unchecked keeps the period", {false, {"1", "0", "0", "0"}, false}, 0, 86'400, 0, 1},
        {"separate files alone never marks", {false, {"0", "0", "0", "0"}, true}, 0, 0, 1, 0},
        {"empty fields read 0", {true, {"", "", "", ""}, false}, 0, 0, 0, 0},
        {"too long a period is the longest", {true, {"999999999", "0", "0", "0"}, false}, 1, INT_MAX, 0, 1},
    };
    for (const auto& c : cases) {
        World world;
        storeAutosaveForm(world, c.form);
        EXPECT_EQ(world.AUTOSAVE_ENABLED, c.enabled) << c.name;
        EXPECT_EQ(world.AUTOSAVE_PERIOD, c.period) << c.name;
        EXPECT_EQ(world.AUTOSAVE_INTO_SEPARATE_FILES, c.separate) << c.name;
        EXPECT_EQ(world.sceneryModified, c.modified) << c.name;
    }
}

TEST(PeriodFields, AutosaveFormRoundTripDoesNotMark) {
    World world;
    world.AUTOSAVE_ENABLED = 1;
    world.AUTOSAVE_PERIOD = 90'061;
    const AutosaveForm form = autosaveForm(world);
    EXPECT_TRUE(form.enabled);
    EXPECT_EQ(form.period, (RealPeriodFields{"1", "1", "1", "1"}));
    storeAutosaveForm(world, form);
    EXPECT_EQ(world.sceneryModified, 0);
}

TEST(PeriodFields, StoreAutostop) {
    const SimulatedPeriodFields none{"0", "0", "0", "0", "0", "0"};
    const SimulatedPeriodFields longRun{"2", "100", "0", "0", "0", "0"};
    const struct {
        const char* name;
        AutostopForm form;
        int mode, realPeriod;
        double simulatedPeriod;
        int restart, modified;
    } cases[] = {
        {"real time without a period stays off", {true, {"0", "0", "0", "0"}, false, none, false}, 0, 0, 0, 0, 0},
        {"real time", {true, {"0", "1", "0", "0"}, false, none, false}, 1, 3600, 0, 0, 1},
        {"simulated time", {false, {"0", "0", "0", "0"}, true, longRun, false}, 2, 0, 66'225'600'000.0, 0, 1},
        {"both", {true, {"0", "0", "0", "1"}, true, longRun, false}, 3, 1, 66'225'600'000.0, 0, 1},
        {"unchecked keeps the periods",
         {false, {"0", "0", "0", "9"}, false, longRun, false},
         0,
         9,
         66'225'600'000.0,
         0,
         1},
        {"restart alone never marks", {false, {"0", "0", "0", "0"}, false, none, true}, 0, 0, 0, 1, 0},
    };
    for (const auto& c : cases) {
        World world;
        storeAutostopForm(world, c.form);
        EXPECT_EQ(world.AUTOSTOP_MODE, c.mode) << c.name;
        EXPECT_EQ(world.AUTOSTOP_RT_PERIOD, c.realPeriod) << c.name;
        EXPECT_EQ(world.AUTOSTOP_ST_PERIOD, c.simulatedPeriod) << c.name;
        EXPECT_EQ(world.RESTART_AFTER_AUTOSTOP, c.restart) << c.name;
        EXPECT_EQ(world.sceneryModified, c.modified) << c.name;
    }
}

TEST(PeriodFields, AutostopFormReopensAsStored) {
    World world;
    storeAutostopForm(world, {false, {"0", "0", "0", "0"}, true, {"2", "100", "0", "0", "0", "0"}, true});
    const AutostopForm form = autostopForm(world);
    EXPECT_TRUE(form.simulatedTime);
    EXPECT_FALSE(form.realTime);
    EXPECT_TRUE(form.restart);
    EXPECT_EQ(form.simulatedPeriod, (SimulatedPeriodFields{"2", "100", "0", "0", "0", "0"}));
    world.sceneryModified = 0;
    storeAutostopForm(world, form);
    EXPECT_EQ(world.sceneryModified, 0);
}
