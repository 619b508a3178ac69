// The drawing surface: a 32-bit pixel buffer laid out like a 32-bit RGB
// image (0xffRRGGBB, rows of width pixels, top row first), so that the shell
// shows it without copying, with the handful of GDI-like operations the
// painter needs and their pixel rules. Colours come in as 0x00BBGGRR.
// Every operation clips to the surface: any coordinates are safe.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantor::render {

struct Size {
    int width = 0;
    int height = 0;
};

class Surface;

// Text output (TextOutA, GetTextExtentPoint32A). The text's top-left corner
// is at (x, y); the background is left as it is.
class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    virtual void drawText(Surface& surface, int x, int y, std::string_view text, uint32_t colourBGR) = 0;
    virtual Size textExtent(std::string_view text) const = 0;
};

// The headless font: 5 x 8 glyphs (7 above the base line, 1 below) in cells
// 6 pixels wide and 10 high, printable ASCII; other bytes show as "?".
class BitmapTextRenderer final : public TextRenderer {
public:
    static constexpr int CELL_WIDTH = 6;
    static constexpr int CELL_HEIGHT = 10;
    void drawText(Surface& surface, int x, int y, std::string_view text, uint32_t colourBGR) override;
    Size textExtent(std::string_view text) const override;
};

// The process-wide instance a new surface starts with.
TextRenderer& defaultTextRenderer();

// 0x00BBGGRR -> 0xffRRGGBB.
constexpr uint32_t toPixelColour(uint32_t bgr) {
    return 0xff000000u | ((bgr & 0xffu) << 16) | (bgr & 0xff00u) | ((bgr >> 16) & 0xffu);
}

class Surface {
public:
    Surface() = default;
    Surface(int width, int height) { resize(width, height); }

    // New black pixels of that size (negative sizes count as 0). False, with
    // an empty surface, when the memory cannot be had.
    bool resize(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t* pixels() { return pixels_.data(); }
    const uint32_t* pixels() const { return pixels_.data(); }
    int bytesPerLine() const { return width_ * 4; }
    // 0xffRRGGBB at (x, y), or 0 outside.
    uint32_t pixel(int x, int y) const { return inside(x, y) ? pixels_[static_cast<size_t>(y) * width_ + x] : 0; }

    void clear();  // black

    // SetPixel / SetPixelV: one pixel, nothing outside the surface.
    void setPixel(int x, int y, uint32_t colourBGR) {
        if (inside(x, y)) pixels_[static_cast<size_t>(y) * width_ + x] = toPixelColour(colourBGR);
    }
    void setPixelV(int x, int y, uint32_t colourBGR) { setPixel(x, y, colourBGR); }

    // MoveToEx / LineTo in the pen colour: every pixel of the line except the
    // end one, which becomes the new current position.
    void moveTo(int x, int y) {
        curX_ = x;
        curY_ = y;
    }
    void lineTo(int x, int y);

    // Ellipse / Rectangle: filled with the brush, a 1-pixel outline in the
    // pen, covering the box from (left, top) up to but excluding (right,
    // bottom). A box given the wrong way round is turned round.
    void ellipse(int left, int top, int right, int bottom);
    void rectangle(int left, int top, int right, int bottom);

    uint32_t penColour() const { return pen_; }
    uint32_t brushColour() const { return brush_; }
    void setPenColour(uint32_t bgr) { pen_ = bgr; }
    void setBrushColour(uint32_t bgr) { brush_ = bgr; }

    // SetTextColor / TextOutA / GetTextExtentPoint32A.
    uint32_t textColour() const { return textColour_; }
    void setTextColour(uint32_t bgr) { textColour_ = bgr; }
    void textOut(int x, int y, std::string_view text) { text_->drawText(*this, x, y, text, textColour_); }
    Size textExtent(std::string_view text) const { return text_->textExtent(text); }
    // The shell plugs in its own text here; nullptr means the built-in font.
    // The renderer must outlive its use by this surface.
    void setTextRenderer(TextRenderer* renderer) { text_ = renderer ? renderer : &defaultTextRenderer(); }
    TextRenderer& textRenderer() const { return *text_; }

    // Fills [x0, x1) of row y, clipped; used by the shapes and the fonts.
    void fillSpan(int64_t y, int64_t x0, int64_t x1, uint32_t colourBGR);

private:
    friend int selectDrawColour(int mode, Surface& surface, uint32_t colourBGR);

    bool inside(int x, int y) const {
        return static_cast<unsigned>(x) < static_cast<unsigned>(width_) &&
               static_cast<unsigned>(y) < static_cast<unsigned>(height_);
    }

    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
    int curX_ = 0, curY_ = 0;
    uint32_t pen_ = 0x000000;    // the stock black pen
    uint32_t brush_ = 0xFFFFFF;  // the stock white brush
    uint32_t textColour_ = 0xFFFFFF;
    TextRenderer* text_ = &defaultTextRenderer();
    // What the last selectDrawColour (1) replaced.
    bool drawColourSelected_ = false;
    uint32_t savedPen_ = 0, savedBrush_ = 0;
};

// Mode 1: puts back what an earlier selection replaced, then makes pen and
// brush the colour and remembers what they replaced. Mode 0: puts the
// remembered pen and brush back. Result 1.
int selectDrawColour(int mode, Surface& surface, uint32_t colourBGR);

// A double truncated towards zero as the pixel conversion needs it, defined
// for every input: beyond the int range it saturates, NaN gives INT_MIN.
int truncToInt(double v);

}  // namespace vantor::render
