#include "dialogs/browser.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace vantor::dialogs {

bool openInBrowser(const QUrl& url, QWidget* parent, const QString& caption) {
    if (QDesktopServices::openUrl(url)) return true;
    // A long address wraps anywhere in the box rather than widening it.
    QMessageBox box(QMessageBox::Warning, caption,
                    QString("%1\n\n%2").arg(NO_BROWSER_TEXT, QString::fromLatin1(url.toEncoded())), QMessageBox::Ok,
                    parent);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
    return false;
}

}  // namespace vantor::dialogs
