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

    // Called with +1 for the up arrow (or Up key, wheel) and -1 for down.
    std::function<void(int direction)> onStep;

    void stepBy(int steps) override;

signals:
    void enterPressed();
    void escapePressed();

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vantor
