#include "app/qt_text_renderer.h"

#include <QApplication>
#include <QPainter>

#include "dialogs/common/world_text.h"

namespace vantor {

namespace {

QFont viewFont() {
    QFont font = QApplication::font();
    font.setPixelSize(QtTextRenderer::PIXEL_SIZE);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace

QtTextRenderer::QtTextRenderer() : font_(viewFont()), metrics_(font_) {}

void QtTextRenderer::drawText(render::Surface& surface, int x, int y, std::string_view text, uint32_t colourBGR) {
    if (surface.width() <= 0 || surface.height() <= 0 || text.empty()) return;
    // The surface has this image's pixel layout: wrapped, not copied, and
    // wrapped anew only when the buffer changes. The image is never copied,
    // so painting writes through to the surface.
    uchar* pixels = reinterpret_cast<uchar*>(surface.pixels());
    if (image_.constBits() != pixels || image_.width() != surface.width() || image_.height() != surface.height()) {
        image_ = QImage(pixels, surface.width(), surface.height(), surface.bytesPerLine(), QImage::Format_RGB32);
    }
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font_);
    painter.setPen(QColor::fromRgb(render::toPixelColour(colourBGR)));
    painter.drawStaticText(QPointF(x, y), laidOut(text));
}

const QStaticText& QtTextRenderer::laidOut(std::string_view text) {
    const std::string key(text);
    if (auto found = cache_.find(key); found != cache_.end()) return found->second;
    if (cache_.size() >= CACHE_MAX) cache_.clear();
    QStaticText laid(fromWorldText(text));
    laid.setTextFormat(Qt::PlainText);  // a name in angle brackets is no markup
    laid.prepare(QTransform(), font_);
    return cache_.emplace(key, std::move(laid)).first->second;
}

render::Size QtTextRenderer::textExtent(std::string_view text) const {
    return {metrics_.horizontalAdvance(fromWorldText(text)), metrics_.height()};
}

}  // namespace vantor
