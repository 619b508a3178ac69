#include "dialogs/common/browser.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

namespace vantor::dialogs {

namespace {

constexpr int kLineLength = 80;  // characters of the address on one line of the box

// An address has no place where a line may break: a long one (a submission
// runs to some thousand characters) would run off the box.
QString inLines(const QString& address) {
    QStringList lines;
    for (int k = 0; k < address.size(); k += kLineLength) lines << address.mid(k, kLineLength);
    return lines.join('\n');
}

}  // namespace

bool openInBrowser(const QUrl& url, QWidget* parent, const QString& caption) {
    if (QDesktopServices::openUrl(url)) return true;
    const QString address = QString::fromLatin1(url.toEncoded());
    QMessageBox box(QMessageBox::Warning, caption, QString("%1\n\n%2").arg(NO_BROWSER_TEXT, inLines(address)),
                    QMessageBox::Ok, parent);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The lines of a selection come with their breaks; this copies the address as it is.
    QPushButton* copy = box.addButton(COPY_ADDRESS_TEXT, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (box.clickedButton() == copy) QGuiApplication::clipboard()->setText(address);
    return false;
}

}  // namespace vantor::dialogs
