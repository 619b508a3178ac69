// An edit field with a pair of spin arrows whose steps the owner decides
// (the arrows of the toolbar fields and of the settings dialogs multiply,
// round to multiples or count, each by its own rule).
#pragma once

#include <QAbstractSpinBox>
#include <functional>

namespace vantor {

class SpinField : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SpinField(QWidget* parent = nullptr);

    QString value() const;
    void setValue(const QString& text);
    void setMaxLength(int length);
    // The room left free on either side of the text (4 pixels unless set).
    void setTextMargin(int pixels);
    // The width the field asks for (0: its own idea); a layout short of room
    // may still give it less, down to its minimum size.
    void setPreferredWidth(int width);
    QSize sizeHint() const override;

    // Called with +1 for the up arrow (or Up key, wheel) and -1 for down.
    std::function<void(int direction)> onStep;

    void stepBy(int steps) override;

signals:
    void enterPressed();
    void escapePressed();
    // The mouse let go of an arrow it pressed (after one step or several).
    void arrowReleased();
    // The focus went to another control of the program (not to a menu or
    // another window).
    void focusLeft();

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool arrowPressed_ = false;
    int preferredWidth_ = 0;
};

}  // namespace vantor
