// The on-screen display: the status figures in the corners, drawn with
// 5 x 5 glyphs on a 7-pixel pitch, and the spacecraft cockpit with its
// crosshair and logarithmic thrust and speed gauges.
#pragma once

#include <cstdint>

#include "engine/world.h"
#include "render/surface.h"
#include "render/view.h"

namespace vantor::render {

// The glyph of a status-display character, or nullptr (a blank cell).
const uint8_t* statusGlyph(char c);

// SIMULATION_TIME in millennia (1000 years of 365 days), years, days,
// hours, minutes, seconds and the fraction of a second.
TimeBreakdown computeTimeBreakdown(double simulationTime);

// Draws the status display once in one colour, shifted by (dx, dy); also
// stores the time breakdown in the view.
void drawStatusDisplay(const World& world, View& view, Surface& dc, uint32_t colour, int dx, int dy);

// A real in its text form (formatReal) with glyphs. Direction -1: the last
// character at x, the others leftwards; +1: the first at x, the others
// rightwards. Cells are 7 pixels apart; the result is the next free cell.
int drawNumberGlyphs(const View& view, Surface& dc, double value, int x, int y, uint32_t colour, int direction);

void drawSpacecraftDisplay(const World& world, const View& view, Surface& dc);

}  // namespace vantor::render
