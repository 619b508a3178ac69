// Looking at text fields as a person would: does a field show its whole
// text, or at least where it starts; where are a spin field's arrows.
#pragma once

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace field_test {

// The line edit of a line edit or spin field.
inline QLineEdit* editOf(QWidget* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) return edit;
    return field ? field->findChild<QLineEdit*>() : nullptr;
}

// The middle of the cursor, in the field's coordinates.
inline int cursorX(const QLineEdit* edit) {
    return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
}

// Where the text's first character starts, as the field draws it now (a
// paint settles how far the text is scrolled).
inline int startX(QLineEdit* edit) {
    edit->grab();
    const int keep = edit->cursorPosition();
    edit->setCursorPosition(0);  // moves the cursor only; the scroll stays until the next paint
    const int x = cursorX(edit);
    edit->setCursorPosition(keep);
    return x;
}

// The field shows where its text starts.
inline bool showsStart(QWidget* field) {
    QLineEdit* edit = editOf(field);
    return edit && startX(edit) >= 0;
}

// The field shows its text whole: with the cursor at the end, so that the
// field scrolls if it must, the first character is still in sight, and so
// is the end.
inline bool showsWhole(QWidget* field) {
    QLineEdit* edit = editOf(field);
    if (!edit) return false;
    const int keep = edit->cursorPosition();
    edit->end(false);
    const int start = startX(edit);
    edit->end(false);
    const int end = cursorX(edit);
    edit->setCursorPosition(keep);
    edit->grab();
    return start >= 0 && end < edit->width();
}

// The middle of a spin field's up or down arrow.
inline QPoint arrowCentre(QAbstractSpinBox* spin, bool up) {
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.rect = spin->rect();
    option.subControls = QStyle::SC_All;
    option.buttonSymbols = spin->buttonSymbols();
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    option.frame = spin->hasFrame();
    return spin->style()
        ->subControlRect(QStyle::CC_SpinBox, &option, up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown, spin)
        .center();
}

}  // namespace field_test
