// The help window: one top-level browser for the program's embedded help pages, reused by every
// request and kept apart from the main window, which stays usable beside it.
#pragma once

#include <QTextBrowser>

class HelpWindow final : public QTextBrowser {
  public:
    HelpWindow();

    // Shows the page (HTML text) and brings the window forward; the window title becomes the
    // page's title.
    void showPage(const QString& html);
};
