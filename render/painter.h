// The scene painter: one complete frame into the back buffer, farthest
// objects first, then names, axes and the on-screen displays.
#pragma once

#include <cstdint>

#include "engine/world.h"
#include "render/surface.h"
#include "render/view.h"

namespace vantor::render {

// Draws one frame into the back buffer and presents it.
void paintFrame(World& world, View& view, Surface& backBuffer);

// Makes the back buffer new: viewWidth x viewHeight black pixels, white
// text. 1 done, -1 no memory for the pixels (the surface is then empty).
int clearBackBuffer(const View& view, Surface& backBuffer);

// Hands the back buffer to the shell (view.present); nothing when headless.
void presentBackBuffer(const View& view);

// With DIM_DISTANT_OBJECTS the visible entries fade linearly with depth
// from full colour (nearest) to 30 % (farthest). The entries come from
// paintFrame, carrying their objects' colours, their depths in depthZ.
void dimColours(const World& world, View& view);

void drawObjectDisc(const World& world, const View& view, Surface& dc, int x, int y, int diameter, uint32_t colour);
// The first 12 characters of the name ("..": longer), shadowed, top-left at
// (x, y); nothing outside the view or without a name.
void drawObjectName(const View& view, Surface& dc, int x, int y, const char* name);
// Refreshes K from the FOV first.
void drawAxes(const World& world, View& view, Surface& dc);
void drawArrowHead(Surface& dc, int x0, int y0, int x1, int y1, int xm, int ym);
// A 5 x 5 glyph (25 bytes, rows from the top, non-zero set); nothing when
// its bottom would pass the view's bottom.
void drawGlyph(const View& view, Surface& dc, const uint8_t* glyph, int x, int y, uint32_t colour);
// The nearest integer, halves towards plus infinity.
double roundHalfUp(double v);

// The axis letters.
extern const uint8_t GLYPH_AXIS_X[25];
extern const uint8_t GLYPH_AXIS_Y[25];
extern const uint8_t GLYPH_AXIS_Z[25];

}  // namespace vantor::render
