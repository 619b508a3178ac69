// The period fields of the autosave and automatic stop dialogs, without
// widgets: a period split into whole-number unit fields, read back, counted
// by the fields' arrows, and stored into the settings.
#pragma once

#include <array>
#include <string>

#include "engine/world.h"

namespace vantor::dialogs {

constexpr long long SECONDS_PER_MINUTE = 60;
constexpr long long SECONDS_PER_HOUR = 3'600;
constexpr long long SECONDS_PER_DAY = 86'400;
constexpr long long SECONDS_PER_YEAR = 31'536'000;  // 365 days
constexpr long long SECONDS_PER_MILLENNIUM = 31'536'000'000;

// Most digits a unit field takes; keeps every field and every sum finite.
constexpr int PERIOD_FIELD_DIGITS = 9;

// Texts of one group of fields, largest unit first; an empty text is an
// empty field. Real time: days, hours, minutes, seconds.
using RealPeriodFields = std::array<std::string, 4>;
// Simulated time: millennia, years, days, hours, minutes, seconds.
using SimulatedPeriodFields = std::array<std::string, 6>;

// The fields showing a period (negative counts as 0). A simulated period is
// split by whole units, its fraction of a second dropped.
RealPeriodFields realPeriodFields(long long seconds);
SimulatedPeriodFields simulatedPeriodFields(double seconds);

// A field read as a decimal integer: leading blanks, then digits; empty or
// not a number reads 0. Saturates instead of overflowing.
long long periodFieldValue(const std::string& text);

// The period the fields show, in seconds; computed in floating point so
// that no sum overflows.
double realPeriodSeconds(const RealPeriodFields& fields);
double simulatedPeriodSeconds(const SimulatedPeriodFields& fields);

// The up arrow of field `index` (largest unit first): counts up, and at the
// top of its unit turns to 0 and carries into the next larger field. An
// empty field does nothing. Days of real time and millennia stop at their
// top instead of carrying.
void periodArrowUp(RealPeriodFields& fields, int index);
void periodArrowUp(SimulatedPeriodFields& fields, int index);
// The down arrow: 1 less, never below 0, no borrow; empty stays empty.
void periodArrowDown(std::string& field);

// What the autosave dialog shows and stores.
struct AutosaveForm {
    bool enabled = false;  // "&Enable Autosave function"
    RealPeriodFields period;
    bool separateFiles = false;  // "Autosave to &different files"
};
AutosaveForm autosaveForm(const World& world);
// Stores the period and the enable flag (marking a real change) and the
// separate-files flag (never marking). A period of 0 leaves autosave off.
void storeAutosaveForm(World& world, const AutosaveForm& form);

// What the automatic stop dialog shows and stores.
struct AutostopForm {
    bool realTime = false;  // bit 0 of AUTOSTOP_MODE
    RealPeriodFields realPeriod;
    bool simulatedTime = false;  // bit 1
    SimulatedPeriodFields simulatedPeriod;
    bool restart = false;  // RESTART_AFTER_AUTOSTOP
};
AutostopForm autostopForm(const World& world);
// Stores both periods and the rebuilt mode (marking real changes) and the
// restart flag (never marking). A period of 0 leaves its stop off.
void storeAutostopForm(World& world, const AutostopForm& form);

}  // namespace vantor::dialogs
