// The help window. Links inside a page (#anchors) scroll it; links that leave the program open in
// the desktop's browser.
#include "platform/qt/help_window.h"

HelpWindow::HelpWindow() : QTextBrowser(nullptr) {
    setOpenExternalLinks(true);
    resize(800, 600);
}

void HelpWindow::showPage(const QString& html) {
    setHtml(html);
    const QString title = documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Trussmill Help") : title);
    show();
    raise();
    activateWindow();
}
