// Mnemonics and shortcuts of the menu, shared by the desktop and the browser backends.
#include "platform/menu_text.h"

#include <cctype>

#include "resources/menu_resource.h"

namespace {

// clang-format off
constexpr MenuShortcut kShortcuts[] = {
    {CMD_FILE_NEW, "Ctrl+N", true},
    {CMD_FILE_OPEN, "Ctrl+O", true},
    {CMD_FILE_SAVE, "Ctrl+S", true},
    {CMD_FILE_SAVE_AS, "Ctrl+Shift+S", true},
    {CMD_FILE_PRINT, "Ctrl+P", true},
    {CMD_FILE_EXIT, "Ctrl+Q", true},
    {CMD_EDIT_UNDO, "Ctrl+Z", true},
    {CMD_EDIT_REDO, "Ctrl+Y", true},
    {CMD_EDIT_REDO, "Ctrl+Shift+Z", false},
    {CMD_DISPLAY_ZOOM_IN, "Ctrl+=", true},
    {CMD_DISPLAY_ZOOM_OUT, "Ctrl+-", true},
    {CMD_DISPLAY_ACTUAL_SIZE, "Ctrl+0", true},
    {CMD_HELP_GETTING_STARTED, "F1", true},
    {CMD_HELP_MENU_COMMANDS, "Shift+F1", true},
};
// clang-format on

bool letterOrDigit(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

std::span<const MenuShortcut> menuShortcuts() {
    return kShortcuts;
}

std::string withMnemonic(const char* text, std::string& taken) {
    const std::string plain(text);
    size_t chosen = std::string::npos;
    // First letters of words, then any letter or digit.
    for (int pass = 0; pass < 2 && chosen == std::string::npos; ++pass) {
        for (size_t i = 0; i < plain.size(); ++i) {
            const char c = plain[i];
            const bool wordStart = i == 0 || plain[i - 1] == ' ';
            if (!letterOrDigit(c) || (pass == 0 && !wordStart)) continue;
            if (taken.find(lower(c)) != std::string::npos) continue;
            chosen = i;
            break;
        }
    }
    std::string result;
    for (size_t i = 0; i < plain.size(); ++i) {
        if (i == chosen) result += '&';
        result += plain[i];
        if (plain[i] == '&') result += '&';
    }
    if (chosen != std::string::npos) taken += lower(plain[chosen]);
    return result;
}
