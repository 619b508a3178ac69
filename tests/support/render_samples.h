// Helpers shared by the render tests: small worlds, a text renderer that
// records what is written, and pixel counting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/world.h"
#include "render/surface.h"
#include "render/view.h"

namespace vantor::render::samples {

// Appends an object at (x, y, z) with radius r and colour c.
inline ObjectRecord& addObject(World& w, double x, double y, double z, double r = 1, uint32_t c = 0xFFFFFF,
                               double mass = 1) {
    ObjectRecord& o = w.objects[w.OBJECTS_N++];
    o.x = x, o.y = y, o.z = z;
    o.radius = r;
    o.color = c;
    o.mass = mass;
    return o;
}

struct TextCall {
    int x, y;
    std::string text;
    uint32_t colour;
};

// Records every text and draws nothing; each character is 5 x 10.
class RecordingText final : public TextRenderer {
public:
    void drawText(Surface&, int x, int y, std::string_view text, uint32_t colour) override {
        calls.push_back({x, y, std::string(text), colour});
    }
    Size textExtent(std::string_view text) const override { return {static_cast<int>(text.size()) * 5, 10}; }
    std::vector<TextCall> calls;
};

// Pixels of the surface equal to the colour (0x00BBGGRR).
inline int countColour(const Surface& s, uint32_t bgr) {
    int n = 0;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) n += s.pixel(x, y) == toPixelColour(bgr);
    }
    return n;
}

inline int countLit(const Surface& s) { return s.width() * s.height() - countColour(s, 0); }

// The pixels set in a colour as a picture of '#' and '.', rows of the box.
inline std::string picture(const Surface& s, int x0, int y0, int w, int h, uint32_t bgr) {
    std::string out;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) out += s.pixel(x, y) == toPixelColour(bgr) ? '#' : '.';
        out += '\n';
    }
    return out;
}

}  // namespace vantor::render::samples
