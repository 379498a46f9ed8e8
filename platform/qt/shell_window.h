// The desktop program's main window: the menu bar built from the menu table, with mnemonics and
// the usual shortcuts, and the board view as its client area. It reports what the user does to
// the shell, which turns it into messages; it never calls the program itself.
#pragma once

#include <QMainWindow>
#include <map>
#include <span>

#include "platform/qt/board_view.h"
#include "resources/menu_resource.h"

class QAction;

// Where the window sends what the user does besides pointing.
class WindowSink : public PointerSink {
  public:
    virtual void commandChosen(int command) = 0;
    virtual void closeRequested() = 0;
    virtual void minimizedChanged(bool minimized) = 0;
};

class ShellWindow final : public QMainWindow {
  public:
    ShellWindow(std::span<const MenuEntry> menu, const Surface& surface, WindowSink& sink);

    BoardView& view() { return *view_; }

    // Puts or removes the check mark of the item that sends command; unknown ids are ignored.
    void setChecked(int command, bool checked);
    void setEnabled(int command, bool enabled);
    // The item's text (mnemonic marked by '&') and tip; an empty text hides it.
    void setText(int command, const QString& text, const QString& tip);
    void setTip(int command, const QString& tip);

    // The item that sends command, or nullptr; for tests that choose items as a user would.
    QAction* action(int command) const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void buildMenus(std::span<const MenuEntry> menu);
    QAction* addCommand(QWidget* menu, const QString& text, int command);

    WindowSink& sink_;
    BoardView* view_;
    std::map<int, QAction*> actions_;
    std::map<int, bool> checked_;  // what the program set; a click must not change it
    bool minimized_ = false;
};
