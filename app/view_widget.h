// The view: shows the painter's back buffer and hands keys and mouse input
// to the main window.
#pragma once

#include <QImage>
#include <QWidget>

namespace vantor {

class MainWindow;
namespace render {
class Surface;
}

class ViewWidget : public QWidget {
    Q_OBJECT
public:
    ViewWidget(MainWindow& window, const render::Surface& surface);

    // Shows the back buffer at once (the painter's present step).
    void present();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    MainWindow& window_;
    const render::Surface& surface_;
    QImage image_;  // wraps the back buffer
};

}  // namespace vantor
