#include "app/view_widget.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "app/main_window.h"
#include "render/surface.h"

namespace vantor {

ViewWidget::ViewWidget(MainWindow& window, const render::Surface& surface)
    : QWidget(&window), window_(window), surface_(surface) {
    setObjectName("view");
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void ViewWidget::present() {
    repaint();
    window_.recordShownFrame();
}

void ViewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (surface_.width() <= 0 || surface_.height() <= 0) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The back buffer already has the pixel layout of this image format:
    // wrapped, not copied, and wrapped anew only when the buffer changes.
    const uchar* pixels = reinterpret_cast<const uchar*>(surface_.pixels());
    if (image_.constBits() != pixels || image_.width() != surface_.width() || image_.height() != surface_.height()) {
        image_ = QImage(pixels, surface_.width(), surface_.height(), surface_.bytesPerLine(), QImage::Format_RGB32);
    }
    painter.drawImage(0, 0, image_);
    if (surface_.width() < width())
        painter.fillRect(surface_.width(), 0, width() - surface_.width(), height(), Qt::black);
    if (surface_.height() < height())
        painter.fillRect(0, surface_.height(), width(), height() - surface_.height(), Qt::black);
}

void ViewWidget::resizeEvent(QResizeEvent*) { window_.rebuildAndPaint(); }

void ViewWidget::keyPressEvent(QKeyEvent* event) { window_.keyDown(event->key(), event->modifiers()); }

void ViewWidget::keyReleaseEvent(QKeyEvent* event) {
    window_.keyUp(event->key(), event->modifiers(), event->isAutoRepeat());
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
    setFocus();
    window_.viewMousePress(event->position().toPoint(), event->button());
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
    window_.viewMouseMove(event->position().toPoint(), event->buttons(), event->modifiers(),
                          event->globalPosition().toPoint());
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) { window_.viewMouseRelease(event->button()); }

void ViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) window_.viewDoubleClick();
}

void ViewWidget::wheelEvent(QWheelEvent* event) {
    window_.viewWheel(event->angleDelta().y());
    event->accept();
}

void ViewWidget::contextMenuEvent(QContextMenuEvent* event) { window_.showContextMenu(event->globalPos()); }

// Tab belongs to no command here; keep the focus on the view.
bool ViewWidget::focusNextPrevChild(bool) { return false; }

}  // namespace vantor
