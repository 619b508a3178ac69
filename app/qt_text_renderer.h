// The desktop view's text: the world's bytes decoded from the scenery code
// page and drawn with QPainter in the application's font, antialiased,
// straight into the surface's pixels. Headless drawing keeps the bitmap font.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QStaticText>
#include <string>
#include <unordered_map>

#include "render/surface.h"

namespace vantor {

class QtTextRenderer final : public render::TextRenderer {
public:
    // The font's size in pixels: near the bitmap font's cells, large enough
    // for accents to read.
    static constexpr int PIXEL_SIZE = 11;

    QtTextRenderer();  // needs the QApplication

    void drawText(render::Surface& surface, int x, int y, std::string_view text, uint32_t colourBGR) override;
    render::Size textExtent(std::string_view text) const override;

    const QFont& font() const { return font_; }

private:
    const QStaticText& laidOut(std::string_view text);

    QFont font_;
    QFontMetrics metrics_;
    QImage image_;  // wraps the surface drawn on last
    // The same names come back every frame: laid out once, drawn at a
    // fraction of the cost. Emptied when full.
    static constexpr size_t CACHE_MAX = 4096;
    std::unordered_map<std::string, QStaticText> cache_;
};

}  // namespace vantor
