// The one boundary between the world's texts (bytes in the scenery files'
// code page) and Qt's: every name and description that meets a widget, a
// tooltip or a message box goes through this pair, and the fields where such
// text is typed take only characters the code page holds.
#pragma once

#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

namespace vantor {

QString fromWorldText(std::string_view bytes);
// Characters the code page cannot hold become '?'.
std::string toWorldText(const QString& text);

// Invalid for a text holding a character the code page cannot hold, so that
// the keystroke or paste that would bring it is refused.
class WorldTextValidator final : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// A line edit refuses what the code page cannot hold.
void limitToWorldText(QLineEdit* field);
// A multi-line field shows each character the code page cannot hold as '?'
// as soon as it arrives; the cursor keeps its place.
void limitToWorldText(QPlainTextEdit* edit);

// A multi-line field's text with "\n" line breaks and its no-break spaces
// kept (toPlainText turns them into plain spaces).
QString plainTextOf(const QPlainTextEdit* edit);

}  // namespace vantor
