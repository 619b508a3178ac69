// Number fields sized from their own font, so that the longest number they
// hold shows whole; a text wider than its field shows its start, never only
// its end; read-only fields look read-only.
#pragma once

#include <QString>

class QFontMetrics;
class QLineEdit;
class QWidget;

namespace vantor {

// The longest text of a real number ("-4.2212841124895798e+010": a sign, 17
// digits, the point, the exponent with its sign and three digits), written
// with the font's widest digit.
QString fullPrecisionSample(const QFontMetrics& metrics, bool negative = true);
// `digits` of the font's widest digit.
QString digitSample(const QFontMetrics& metrics, int digits);

// The width a line edit or spin field needs to show `text` whole, from its
// font, its margins and its style's frame and arrows.
int widthToShow(QWidget* field, const QString& text);
// Keeps the field at least that wide.
void fitToShow(QWidget* field, const QString& text);
// A real-number field: wide enough for any value, signed or not.
void fitToReal(QWidget* field, bool negative = true);
// A whole-number field of at most `digits` digits.
void fitToDigits(QWidget* field, int digits);

// A line edit whose text is set from outside, or left by the focus, shows
// the text's start when the text is wider than the field. Once per field.
void showStartOf(QLineEdit* edit);

// Makes a line edit, spin field or multi-line text read-only or editable,
// with the window's colour behind a read-only text; the text stays
// selectable either way.
void setFieldReadOnly(QWidget* field, bool readOnly);

}  // namespace vantor
