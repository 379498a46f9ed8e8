// What every backend shows of the menu table besides the texts themselves: the mnemonic letter of
// each item and the keyboard shortcuts, in the portable "Ctrl+Shift+S" notation.
#pragma once

#include <span>
#include <string>

struct MenuShortcut {
    int command;
    const char* keys;  // "Ctrl+N", "Ctrl+Shift+S", "F1", "Shift+F1"
    bool shownInMenu;  // false for a second shortcut of a command, which works but is not shown
};

// Every shortcut of the program, the same on every backend.
std::span<const MenuShortcut> menuShortcuts();

// The menu text with an '&' before its mnemonic: the first letter of a word, else any letter or
// digit, that no earlier item of the same menu took (recorded in taken, lower case). Literal
// ampersands are doubled. Texts with nothing left to take get no mnemonic.
std::string withMnemonic(const char* text, std::string& taken);
