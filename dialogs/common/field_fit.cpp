#include "dialogs/common/field_fit.h"

#include <QAbstractSpinBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

// QLineEdit keeps this many pixels free on either side of its text.
constexpr int kLineEditInnerMargin = 2;
// A width to measure a style's frame at; any width well above the frame's.
constexpr int kProbeWidth = 1000;

QChar widestDigit(const QFontMetrics& metrics) {
    QChar widest = '0';
    for (char c = '1'; c <= '9'; ++c) {
        if (metrics.horizontalAdvance(QChar(c)) > metrics.horizontalAdvance(widest)) widest = QChar(c);
    }
    return widest;
}

// How far the glyphs of `text` reach beyond their advances, on the left and
// on the right.
int overhang(const QFontMetrics& metrics, const QString& text) {
    int left = 0, right = 0;
    for (QChar c : text) {
        left = std::max(left, -metrics.leftBearing(c));
        right = std::max(right, -metrics.rightBearing(c));
    }
    return left + right;
}

// The room a line edit needs inside its frame to show `text` whole: the
// text (its width as laid out, rounded up) with its overhang, the cursor
// after it, and the margins.
int textRoom(const QLineEdit* edit, const QString& text) {
    const QFontMetrics metrics(edit->font());
    const int textWidth = static_cast<int>(std::ceil(QFontMetricsF(edit->font()).horizontalAdvance(text)));
    const QMargins margins = edit->textMargins() + edit->contentsMargins();
    return textWidth + overhang(metrics, text) + 1 + 2 * kLineEditInnerMargin + margins.left() + margins.right();
}

int lineEditFrame(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = QRect(0, 0, kProbeWidth, edit->sizeHint().height());
    option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    return kProbeWidth - edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit).width();
}

// The spin field's frame and arrows: all of it but its line edit.
int spinChrome(const QAbstractSpinBox* spin) {
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.rect = QRect(0, 0, kProbeWidth, spin->sizeHint().height());
    option.buttonSymbols = spin->buttonSymbols();
    option.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;
    if (spin->buttonSymbols() != QAbstractSpinBox::NoButtons)
        option.subControls |= QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    option.frame = spin->hasFrame();
    const QRect edit = spin->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxEditField, spin);
    return kProbeWidth - edit.width();
}

// Homes the cursor of a line edit that loses the focus (to another control,
// not to its own context menu or another window) or gets its text from
// outside.
class StartShown : public QObject {
public:
    explicit StartShown(QLineEdit* edit) : QObject(edit), edit_(edit) {
        // Text set from outside leaves the line edit unmodified; typing
        // keeps its cursor where it is.
        connect(edit, &QLineEdit::textChanged, this, [edit] {
            if (!edit->isModified()) edit->setCursorPosition(0);
        });
        // A spin field takes the focus events of its line edit.
        QWidget* focusTarget = edit->focusProxy() ? edit->focusProxy() : edit;
        focusTarget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::FocusOut) return false;
        // A field that has the focus when it is destroyed gets its focus-out
        // from QWidget's destructor, when it is no longer a line edit.
        auto* edit = qobject_cast<QLineEdit*>(static_cast<QObject*>(edit_));
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (edit && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) edit->setCursorPosition(0);
        return false;
    }

private:
    QLineEdit* edit_;
};

}  // namespace

QString fullPrecisionSample(const QFontMetrics& metrics, bool negative) {
    const QString digits(16, widestDigit(metrics));
    const QString exponent(3, widestDigit(metrics));
    return QString(negative ? "-" : "") + widestDigit(metrics) + "." + digits + "e+" + exponent;
}

QString digitSample(const QFontMetrics& metrics, int digits) {
    return QString(std::max(0, digits), widestDigit(metrics));
}

int widthToShow(QWidget* field, const QString& text) {
    field->ensurePolished();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) {
        auto* edit = spin->findChild<QLineEdit*>();
        if (!edit) return 0;
        edit->ensurePolished();
        return spinChrome(spin) + lineEditFrame(edit) + textRoom(edit, text);
    }
    if (auto* edit = qobject_cast<QLineEdit*>(field)) return lineEditFrame(edit) + textRoom(edit, text);
    return 0;
}

void fitToShow(QWidget* field, const QString& text) {
    field->setMinimumWidth(std::max(widthToShow(field, text), field->minimumWidth()));
}

void fitToReal(QWidget* field, bool negative) {
    field->ensurePolished();
    fitToShow(field, fullPrecisionSample(QFontMetrics(field->font()), negative));
}

void fitToDigits(QWidget* field, int digits) {
    field->ensurePolished();
    fitToShow(field, digitSample(QFontMetrics(field->font()), digits));
}

void showStartOf(QLineEdit* edit) {
    if (edit) new StartShown(edit);
}

void setFieldReadOnly(QWidget* field, bool readOnly) {
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) spin->setReadOnly(readOnly);
    else if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->setReadOnly(readOnly);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(field)) text->setReadOnly(readOnly);
    else return;
    // Only the text's background is set; every other colour follows the
    // dialog, and an editable field gets its own colours back.
    QPalette look;
    if (readOnly) {
        const QPalette& present = field->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            look.setBrush(group, QPalette::Base, present.brush(group, QPalette::Window));
    }
    field->setPalette(look);
}

}  // namespace vantor
