// Opening an address in the user's web browser, and saying so when none
// can be opened.
#pragma once

#include <QString>

class QUrl;
class QWidget;

namespace vantor::dialogs {

// The browser's failure text before the address, and the box's button that
// puts the address on the clipboard.
constexpr const char* NO_BROWSER_TEXT = "No web browser could be opened. Open this address in a browser:";
constexpr const char* COPY_ADDRESS_TEXT = "&Copy address";

// Opens `url` in the browser. When that fails, a message box captioned
// `caption` shows the address as text that can be selected, in lines that
// fit the box, with a button that copies it whole. True when the browser
// opened.
bool openInBrowser(const QUrl& url, QWidget* parent, const QString& caption);

}  // namespace vantor::dialogs
