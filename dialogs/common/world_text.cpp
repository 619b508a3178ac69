#include "dialogs/common/world_text.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include "scenery/codepage.h"

namespace vantor {

namespace {

// Line and paragraph breaks as the document keeps them: they stand for the
// "\n" of the plain text, not for characters to refuse.
bool isDocumentBreak(char32_t c) { return c == QChar::ParagraphSeparator || c == QChar::LineSeparator; }

// The first character at or after `from` that the code page cannot hold
// (its index and length in UTF-16 units), or -1; a document's breaks pass.
qsizetype firstUnheld(QStringView text, qsizetype from, qsizetype* length, bool document) {
    for (qsizetype i = from; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        qsizetype n = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            n = 2;
        }
        if (unicodeToCodePage(c) < 0 && !(document && isDocumentBreak(c))) {
            *length = n;
            return i;
        }
        i += n - 1;
    }
    return -1;
}

void replaceUnheld(QTextDocument* document) {
    const QString text = document->toRawText();
    qsizetype length = 0;
    qsizetype at = firstUnheld(text, 0, &length, true);
    if (at < 0) return;
    // A cursor of its own edits the document, so that the field's cursor
    // moves along with the text it stands in.
    QTextCursor edit(document);
    edit.beginEditBlock();
    qsizetype shift = 0;  // UTF-16 units removed so far
    while (at >= 0) {
        edit.setPosition(static_cast<int>(at - shift));
        edit.setPosition(static_cast<int>(at - shift + length), QTextCursor::KeepAnchor);
        edit.insertText(QStringLiteral("?"));
        shift += length - 1;
        at = firstUnheld(text, at + length, &length, true);
    }
    edit.endEditBlock();
}

}  // namespace

QString fromWorldText(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    // Every character of the code page lies in the basic plane: one unit each.
    for (char b : bytes) *out++ = QChar(static_cast<char16_t>(codePageToUnicode(static_cast<unsigned char>(b))));
    return text;
}

std::string toWorldText(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    // toUcs4 joins surrogate pairs (one '?' for one character) and turns a
    // lone surrogate into U+FFFD.
    for (char32_t c : text.toUcs4()) {
        const int b = unicodeToCodePage(c);
        bytes += b < 0 ? '?' : static_cast<char>(b);
    }
    return bytes;
}

QValidator::State WorldTextValidator::validate(QString& input, int&) const {
    qsizetype length = 0;
    return firstUnheld(input, 0, &length, false) < 0 ? Acceptable : Invalid;
}

void limitToWorldText(QLineEdit* field) { field->setValidator(new WorldTextValidator(field)); }

void limitToWorldText(QPlainTextEdit* edit) {
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit] { replaceUnheld(edit->document()); });
}

QString plainTextOf(const QPlainTextEdit* edit) {
    QString text = edit->document()->toRawText();
    for (QChar& c : text) {
        if (isDocumentBreak(c.unicode())) c = u'\n';
    }
    return text;
}

}  // namespace vantor
