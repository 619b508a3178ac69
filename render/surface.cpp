#include "render/surface.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <new>

namespace vantor::render {

int truncToInt(double v) {
    if (std::isnan(v)) return INT_MIN;
    if (v >= 2147483648.0) return INT_MAX;
    if (v <= -2147483649.0) return INT_MIN;
    return static_cast<int>(v);
}

bool Surface::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    try {
        pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xff000000u);
    } catch (const std::bad_alloc&) {
        pixels_.clear();
        pixels_.shrink_to_fit();
        width_ = height_ = 0;
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

void Surface::clear() { std::fill(pixels_.begin(), pixels_.end(), 0xff000000u); }

void Surface::fillSpan(int64_t y, int64_t x0, int64_t x1, uint32_t colourBGR) {
    if (y < 0 || y >= height_) return;
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, width_);
    if (x0 >= x1) return;
    uint32_t* row = pixels_.data() + static_cast<size_t>(y) * width_;
    std::fill(row + x0, row + x1, toPixelColour(colourBGR));
}

void Surface::lineTo(int x, int y) {
    const int64_t x0 = curX_, y0 = curY_;
    curX_ = x;
    curY_ = y;
    const int64_t dx = x - x0, dy = y - y0;
    const uint64_t adx = static_cast<uint64_t>(dx < 0 ? -dx : dx);
    const uint64_t ady = static_cast<uint64_t>(dy < 0 ? -dy : dy);
    if (adx == 0 && ady == 0) return;

    // Pixel i of the line (0 <= i < the major length) lies i steps along the
    // major axis and round(i x minor / major) steps along the minor one,
    // halves away from the start. The closed form lets the loop start at the
    // first pixel inside the surface, so that far-off end points cost nothing.
    const bool xMajor = adx >= ady;
    const uint64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const int64_t a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
    const int64_t sa = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t sb = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t limitA = xMajor ? width_ : height_, limitB = xMajor ? height_ : width_;
    if (limitA <= 0 || limitB <= 0) return;

    int64_t iLo, iHi;
    if (sa > 0) {
        iLo = std::max<int64_t>(0, -a0);
        iHi = std::min<int64_t>(static_cast<int64_t>(major) - 1, limitA - 1 - a0);
    } else {
        iLo = std::max<int64_t>(0, a0 - (limitA - 1));
        iHi = std::min<int64_t>(static_cast<int64_t>(major) - 1, a0);
    }
    if (iLo > iHi) return;

    const uint64_t start = static_cast<uint64_t>(iLo) * minor;  // < 2^64: both factors < 2^32
    uint64_t q = start / major, r = start % major;
    const uint32_t colour = toPixelColour(pen_);
    for (int64_t i = iLo; i <= iHi; ++i) {
        const int64_t b = b0 + sb * static_cast<int64_t>(q + (2 * r >= major ? 1 : 0));
        if (b >= 0 && b < limitB) {
            const int64_t a = a0 + sa * i;
            const int64_t px = xMajor ? a : b, py = xMajor ? b : a;
            pixels_[static_cast<size_t>(py) * width_ + static_cast<size_t>(px)] = colour;
        }
        r += minor;
        if (r >= major) {
            r -= major;
            ++q;
        }
    }
}

namespace {

struct Box {
    int64_t left, top, right, bottom;
};

Box normalised(int left, int top, int right, int bottom) {
    Box b{left, top, right, bottom};
    if (b.left > b.right) std::swap(b.left, b.right);
    if (b.top > b.bottom) std::swap(b.top, b.bottom);
    return b;
}

// The pixels of row j (0-based from the top of a w x h box) that its
// ellipse covers, as offsets from the box's left edge: those whose centres
// lie inside, at least the middle one or two (so that the ellipse meets all
// four sides of its box). Relative to the box, so that a disc looks the same
// wherever it is drawn.
struct Span {
    int64_t x0, x1;
};

Span ellipseRow(int64_t w, int64_t h, int64_t j) {
    if (j < 0 || j >= h) return {0, 0};
    const double rx = static_cast<double>(w) * 0.5, ry = static_cast<double>(h) * 0.5;
    const double v = (static_cast<double>(j) + 0.5 - ry) / ry;
    const double half = rx * std::sqrt(std::max(0.0, 1.0 - v * v));
    int64_t x0 = static_cast<int64_t>(std::ceil(rx - half - 0.5));
    int64_t x1 = static_cast<int64_t>(std::floor(rx + half - 0.5)) + 1;
    if (x0 >= x1) {
        x0 = static_cast<int64_t>(std::floor(rx - 0.5));
        x1 = static_cast<int64_t>(std::ceil(rx - 0.5)) + 1;
    }
    return {std::max<int64_t>(x0, 0), std::min(x1, w)};
}

// Rows of the circles up to this diameter, worked out once: the painter
// draws thousands of small discs per frame.
constexpr int SMALL_CIRCLE_MAX = 64;

struct SmallCircles {
    // rows[d][j] for diameter d, row j < d
    std::array<std::array<Span, SMALL_CIRCLE_MAX + 1>, SMALL_CIRCLE_MAX + 1> rows{};
    SmallCircles() {
        for (int d = 1; d <= SMALL_CIRCLE_MAX; ++d) {
            for (int j = 0; j < d; ++j) rows[d][j] = ellipseRow(d, d, j);
        }
    }
};

const SmallCircles& smallCircles() {
    static const SmallCircles circles;
    return circles;
}

}  // namespace

void Surface::ellipse(int left, int top, int right, int bottom) {
    const Box b = normalised(left, top, right, bottom);
    const int64_t w = b.right - b.left, h = b.bottom - b.top;
    if (w <= 0 || h <= 0 || width_ <= 0 || height_ <= 0) return;
    const Span* table = w == h && w <= SMALL_CIRCLE_MAX ? smallCircles().rows[w].data() : nullptr;
    const auto row = [&](int64_t j) -> Span {
        if (j < 0 || j >= h) return {0, 0};
        return table ? table[j] : ellipseRow(w, h, j);
    };
    const int64_t j0 = std::max<int64_t>(0, -b.top), j1 = std::min<int64_t>(h, height_ - b.top);
    for (int64_t j = j0; j < j1; ++j) {
        const int64_t y = b.top + j;
        const Span s = row(j);
        if (s.x0 >= s.x1) continue;
        fillSpan(y, b.left + s.x0, b.left + s.x1, brush_);
        if (pen_ == brush_) continue;  // the outline would not show
        // Outline: the pixels with a 4-neighbour outside the shape.
        const Span up = row(j - 1), down = row(j + 1);
        int64_t in0 = std::max(up.x0, down.x0), in1 = std::min(up.x1, down.x1);
        in0 = std::max(in0, s.x0 + 1);
        in1 = std::min(in1, s.x1 - 1);
        if (in0 >= in1) {
            fillSpan(y, b.left + s.x0, b.left + s.x1, pen_);
        } else {
            fillSpan(y, b.left + s.x0, b.left + in0, pen_);
            fillSpan(y, b.left + in1, b.left + s.x1, pen_);
        }
    }
}

void Surface::rectangle(int left, int top, int right, int bottom) {
    const Box b = normalised(left, top, right, bottom);
    if (b.right <= b.left || b.bottom <= b.top) return;
    const int64_t y0 = std::max<int64_t>(b.top, 0), y1 = std::min<int64_t>(b.bottom, height_);
    for (int64_t y = y0; y < y1; ++y) {
        if (y == b.top || y == b.bottom - 1) {
            fillSpan(y, b.left, b.right, pen_);
        } else {
            fillSpan(y, b.left + 1, b.right - 1, brush_);
            fillSpan(y, b.left, b.left + 1, pen_);
            fillSpan(y, b.right - 1, b.right, pen_);
        }
    }
}

int selectDrawColour(int mode, Surface& s, uint32_t colourBGR) {
    if (s.drawColourSelected_) {
        s.pen_ = s.savedPen_;
        s.brush_ = s.savedBrush_;
        s.drawColourSelected_ = false;
    }
    if (mode == 1) {
        s.savedPen_ = s.pen_;
        s.savedBrush_ = s.brush_;
        s.pen_ = s.brush_ = colourBGR;
        s.drawColourSelected_ = true;
    }
    return 1;
}

}  // namespace vantor::render
