#include "dialogs/settings/period_fields.h"

#include <climits>
#include <span>

namespace vantor::dialogs {

namespace {

// Saturation point of a field's value: more than any field of
// PERIOD_FIELD_DIGITS digits, small enough for exact sums in a double.
constexpr long long kFieldMax = 999'999'999'999'999LL;

// How the up arrow treats one unit: below `top` it adds 1; at the top it
// either turns to 0 and carries into the next larger unit or stays.
struct UnitRule {
    long long top;
    bool carries;
};

constexpr UnitRule kRealRules[] = {{365, false}, {23, true}, {59, true}, {59, true}};
constexpr UnitRule kSimulatedRules[] = {{1'000'000, false}, {999, true}, {364, true},
                                        {23, true},         {59, true},  {59, true}};

void arrowUp(std::span<std::string> fields, std::span<const UnitRule> rules, int index) {
    // A carry walks towards the larger units; each step is one field.
    while (index >= 0 && index < static_cast<int>(fields.size())) {
        std::string& field = fields[index];
        if (field.empty()) return;
        const long long value = periodFieldValue(field);
        const UnitRule rule = rules[index];
        if (value < rule.top) {
            field = std::to_string(value + 1);
            return;
        }
        if (!rule.carries) return;
        field = "0";
        --index;
    }
}

int clampToInt(double seconds) {
    if (!(seconds > 0)) return 0;
    if (seconds >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(seconds);
}

}  // namespace

RealPeriodFields realPeriodFields(long long seconds) {
    if (seconds < 0) seconds = 0;
    const long long days = seconds / SECONDS_PER_DAY;
    seconds -= days * SECONDS_PER_DAY;
    const long long hours = seconds / SECONDS_PER_HOUR;
    seconds -= hours * SECONDS_PER_HOUR;
    const long long minutes = seconds / SECONDS_PER_MINUTE;
    seconds -= minutes * SECONDS_PER_MINUTE;
    return {std::to_string(days), std::to_string(hours), std::to_string(minutes), std::to_string(seconds)};
}

SimulatedPeriodFields simulatedPeriodFields(double seconds) {
    // Whole seconds in integers: floor(T / unit) equals floor(trunc(T) / unit)
    // for whole units, and integer division has no rounding surprises.
    long long rest = 0;
    if (seconds >= 9.0e18) rest = 9'000'000'000'000'000'000LL;
    else if (seconds > 0) rest = static_cast<long long>(seconds);
    const long long units[] = {SECONDS_PER_MILLENNIUM, SECONDS_PER_YEAR,   SECONDS_PER_DAY,
                               SECONDS_PER_HOUR,       SECONDS_PER_MINUTE, 1};
    SimulatedPeriodFields fields;
    for (int k = 0; k < 6; ++k) {
        const long long count = rest / units[k];
        rest -= count * units[k];
        fields[k] = std::to_string(count);
    }
    return fields;
}

long long periodFieldValue(const std::string& text) {
    size_t k = 0;
    while (k < text.size() && (text[k] == ' ' || text[k] == '\t')) ++k;
    long long value = 0;
    for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
        value = value * 10 + (text[k] - '0');
        if (value > kFieldMax) return kFieldMax;
    }
    return value;
}

double realPeriodSeconds(const RealPeriodFields& f) {
    const double days = static_cast<double>(periodFieldValue(f[0]));
    const double hours = static_cast<double>(periodFieldValue(f[1]));
    const double minutes = static_cast<double>(periodFieldValue(f[2]));
    const double seconds = static_cast<double>(periodFieldValue(f[3]));
    return ((days * 24 + hours) * 60 + minutes) * 60 + seconds;
}

double simulatedPeriodSeconds(const SimulatedPeriodFields& f) {
    double total = static_cast<double>(periodFieldValue(f[0]));
    const double factors[] = {1000, 365, 24, 60, 60};
    for (int k = 1; k < 6; ++k) total = total * factors[k - 1] + static_cast<double>(periodFieldValue(f[k]));
    return total;
}

void periodArrowUp(RealPeriodFields& fields, int index) { arrowUp(fields, kRealRules, index); }

void periodArrowUp(SimulatedPeriodFields& fields, int index) { arrowUp(fields, kSimulatedRules, index); }

void periodArrowDown(std::string& field) {
    if (field.empty()) return;
    const long long value = periodFieldValue(field);
    field = std::to_string(value > 0 ? value - 1 : 0);
}

AutosaveForm autosaveForm(const World& world) {
    AutosaveForm form;
    form.enabled = world.AUTOSAVE_ENABLED != 0;
    form.period = realPeriodFields(world.AUTOSAVE_PERIOD);
    form.separateFiles = world.AUTOSAVE_INTO_SEPARATE_FILES != 0;
    return form;
}

void storeAutosaveForm(World& world, const AutosaveForm& form) {
    const int period = clampToInt(realPeriodSeconds(form.period));
    setIfChanged(world, world.AUTOSAVE_PERIOD, period);
    setIfChanged(world, world.AUTOSAVE_ENABLED, form.enabled && period >= 1 ? 1 : 0);
    world.AUTOSAVE_INTO_SEPARATE_FILES = form.separateFiles ? 1 : 0;
}

AutostopForm autostopForm(const World& world) {
    AutostopForm form;
    form.realTime = (world.AUTOSTOP_MODE & 1) != 0;
    form.realPeriod = realPeriodFields(world.AUTOSTOP_RT_PERIOD);
    form.simulatedTime = (world.AUTOSTOP_MODE & 2) != 0;
    form.simulatedPeriod = simulatedPeriodFields(world.AUTOSTOP_ST_PERIOD);
    form.restart = world.RESTART_AFTER_AUTOSTOP != 0;
    return form;
}

void storeAutostopForm(World& world, const AutostopForm& form) {
    const int realPeriod = clampToInt(realPeriodSeconds(form.realPeriod));
    const double simulatedPeriod = simulatedPeriodSeconds(form.simulatedPeriod);
    setIfChanged(world, world.AUTOSTOP_RT_PERIOD, realPeriod);
    setIfChanged(world, world.AUTOSTOP_ST_PERIOD, simulatedPeriod);
    int mode = 0;
    if (form.realTime && realPeriod >= 1) mode |= 1;
    if (form.simulatedTime && simulatedPeriod > 0) mode |= 2;
    setIfChanged(world, world.AUTOSTOP_MODE, mode);
    world.RESTART_AFTER_AUTOSTOP = form.restart ? 1 : 0;
}

}  // namespace vantor::dialogs
