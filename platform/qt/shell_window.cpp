// The main window: menus from the table, fixed size, close box and minimize as messages.
#include "platform/qt/shell_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <string>
#include <vector>

#include "platform/menu_text.h"

namespace {

QKeySequence keysOf(const MenuShortcut& shortcut) {
    return QKeySequence(QString::fromLatin1(shortcut.keys), QKeySequence::PortableText);
}

// The menu text with its mnemonic marked the way Qt reads it.
QString menuText(const char* text, std::string& taken) {
    return QString::fromLatin1(withMnemonic(text, taken).c_str());
}

}  // namespace

ShellWindow::ShellWindow(std::span<const MenuEntry> menu, const Surface& surface, WindowSink& sink)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint),
      sink_(sink) {
    // The menu stays in the window, where the client area's layout expects it, even on desktops
    // that offer a global menu.
    menuBar()->setNativeMenuBar(false);
    buildMenus(menu);
    view_ = new BoardView(surface, sink, this);
    setCentralWidget(view_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);  // the program's layout is fixed
    // Shortcuts of commands without an item.
    for (const MenuShortcut& s : menuShortcuts()) {
        if (findMenuCommand(s.command) != nullptr) continue;
        QAction* help = new QAction(this);
        help->setShortcut(keysOf(s));
        connect(help, &QAction::triggered, this, [this, id = s.command] { sink_.commandChosen(id); });
        addAction(help);
    }
}

void ShellWindow::buildMenus(std::span<const MenuEntry> menu) {
    // Each open popup with the mnemonics its items have taken.
    struct Open {
        QWidget* widget;
        std::string taken;
    };
    std::vector<Open> open{{menuBar(), std::string()}};
    for (const MenuEntry& entry : menu) {
        Open& parent = open.back();
        switch (entry.kind) {
            case MenuEntryKind::Popup: {
                QMenu* popup = new QMenu(menuText(entry.text, parent.taken), parent.widget);
                popup->setToolTipsVisible(true);  // the recent files name their folders so
                if (auto* bar = qobject_cast<QMenuBar*>(parent.widget)) {
                    bar->addMenu(popup);
                } else {
                    static_cast<QMenu*>(parent.widget)->addMenu(popup);
                }
                open.push_back({popup, std::string()});
                break;
            }
            case MenuEntryKind::Command:
                parent.widget->addAction(
                    addCommand(parent.widget, menuText(entry.text, parent.taken), entry.id));
                break;
            case MenuEntryKind::Separator:
                if (auto* popup = qobject_cast<QMenu*>(parent.widget)) popup->addSeparator();
                break;
            case MenuEntryKind::End:
                if (open.size() > 1) open.pop_back();
                break;
        }
    }
}

QAction* ShellWindow::addCommand(QWidget* menu, const QString& text, int command) {
    QAction* item = new QAction(text, menu);
    item->setVisible(!text.isEmpty());  // the recent files' items until they have names
    QList<QKeySequence> keys;           // the one the menu shows first
    for (const MenuShortcut& s : menuShortcuts()) {
        if (s.command != command) continue;
        if (s.shownInMenu) {
            keys.prepend(keysOf(s));
        } else {
            keys.append(keysOf(s));
        }
    }
    item->setShortcuts(keys);
    connect(item, &QAction::triggered, this, [this, item, command] {
        // A checkable item toggles itself when clicked; the program alone decides its mark.
        item->setChecked(checked_[command]);
        sink_.commandChosen(command);
    });
    actions_[command] = item;
    return item;
}

void ShellWindow::setChecked(int command, bool checked) {
    QAction* item = action(command);
    if (!item) return;
    checked_[command] = checked;
    // Only marked items are checkable, so unmarked ones show no empty box.
    item->setCheckable(checked);
    item->setChecked(checked);
}

void ShellWindow::setEnabled(int command, bool enabled) {
    if (QAction* item = action(command)) item->setEnabled(enabled);
}

void ShellWindow::setText(int command, const QString& text, const QString& tip) {
    QAction* item = action(command);
    if (!item) return;
    item->setVisible(!text.isEmpty());
    if (!text.isEmpty()) item->setText(text);
    item->setToolTip(tip);
    item->setStatusTip(tip);
}

void ShellWindow::setTip(int command, const QString& tip) {
    if (QAction* item = action(command)) {
        item->setToolTip(tip);
        item->setStatusTip(tip);
    }
}

QAction* ShellWindow::action(int command) const {
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void ShellWindow::closeEvent(QCloseEvent* event) {
    // The program decides; it destroys the window itself when it agrees.
    event->ignore();
    sink_.closeRequested();
}

void ShellWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && isMinimized() != minimized_) {
        minimized_ = isMinimized();
        sink_.minimizedChanged(minimized_);
    }
    QMainWindow::changeEvent(event);
}
