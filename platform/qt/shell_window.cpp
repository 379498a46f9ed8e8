// The main window: menus from the table, fixed size, close box and minimize as messages.
#include "platform/qt/shell_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <vector>

namespace {

struct Shortcut {
    int command;
    QKeyCombination keys;
};

// Shown in the menus beside their items; the help pages have keys but no items.
const Shortcut MENU_SHORTCUTS[] = {
    {CMD_FILE_NEW, Qt::CTRL | Qt::Key_N},   {CMD_FILE_OPEN, Qt::CTRL | Qt::Key_O},
    {CMD_FILE_SAVE, Qt::CTRL | Qt::Key_S},  {CMD_FILE_SAVE_AS, Qt::CTRL | Qt::SHIFT | Qt::Key_S},
    {CMD_FILE_PRINT, Qt::CTRL | Qt::Key_P}, {CMD_FILE_EXIT, Qt::CTRL | Qt::Key_Q},
};
const Shortcut HELP_SHORTCUTS[] = {
    {CMD_HELP_GETTING_STARTED, QKeyCombination(Qt::Key_F1)},
    {CMD_HELP_MENU_COMMANDS, Qt::SHIFT | Qt::Key_F1},
};

}  // namespace

QString withMnemonic(const char* text, QString& taken) {
    const QString plain = QString::fromLatin1(text);
    int chosen = -1;
    // First letters of words, then any letter or digit.
    for (int pass = 0; pass < 2 && chosen < 0; ++pass) {
        for (int i = 0; i < plain.size(); ++i) {
            const QChar c = plain[i];
            const bool wordStart = i == 0 || plain[i - 1] == u' ';
            if (!c.isLetterOrNumber() || (pass == 0 && !wordStart)) continue;
            if (taken.contains(c.toLower())) continue;
            chosen = i;
            break;
        }
    }
    QString result;
    for (int i = 0; i < plain.size(); ++i) {
        if (i == chosen) result += u'&';
        result += plain[i];
        if (plain[i] == u'&') result += u'&';
    }
    if (chosen >= 0) taken += plain[chosen].toLower();
    return result;
}

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
    for (const Shortcut& s : HELP_SHORTCUTS) {
        QAction* help = new QAction(this);
        help->setShortcut(QKeySequence(s.keys));
        connect(help, &QAction::triggered, this, [this, id = s.command] { sink_.commandChosen(id); });
        addAction(help);
    }
}

void ShellWindow::buildMenus(std::span<const MenuEntry> menu) {
    // Each open popup with the mnemonics its items have taken.
    struct Open {
        QWidget* widget;
        QString taken;
    };
    std::vector<Open> open{{menuBar(), QString()}};
    for (const MenuEntry& entry : menu) {
        Open& parent = open.back();
        switch (entry.kind) {
            case MenuEntryKind::Popup: {
                QMenu* popup = new QMenu(withMnemonic(entry.text, parent.taken), parent.widget);
                if (auto* bar = qobject_cast<QMenuBar*>(parent.widget)) {
                    bar->addMenu(popup);
                } else {
                    static_cast<QMenu*>(parent.widget)->addMenu(popup);
                }
                open.push_back({popup, QString()});
                break;
            }
            case MenuEntryKind::Command:
                parent.widget->addAction(
                    addCommand(parent.widget, withMnemonic(entry.text, parent.taken), entry.id));
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
    for (const Shortcut& s : MENU_SHORTCUTS) {
        if (s.command == command) item->setShortcut(QKeySequence(s.keys));
    }
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
