// Small pieces shared by the settings dialogs: the test for "the focus is
// in a text field" and the two kinds of spin fields they use.
#pragma once

#include "dialogs/common/spin_field.h"

class QLineEdit;
class QWidget;

namespace vantor {

// True when the dialog's focus is in a line edit, a spin field or a
// multi-line text.
bool focusInTextField(const QWidget* dialog);

// The line edit of a line edit or spin field.
QLineEdit* lineEditOf(QWidget* field);

// A spin field that takes digits only (the period fields).
class DigitSpinField : public SpinField {
public:
    explicit DigitSpinField(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
};

// A spin field whose arrows stop while it is read-only (the viewpoint
// distance and angles outside their mode).
class ViewSpinField : public SpinField {
public:
    explicit ViewSpinField(QWidget* parent = nullptr) : SpinField(parent) {}

protected:
    StepEnabled stepEnabled() const override;
};

}  // namespace vantor
