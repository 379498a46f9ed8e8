// Lookups in the menu table, and a compile-time check that its popups are properly nested.
#include "resources/menu_resource.h"

#include <cstring>

namespace {

constexpr bool popupsBalanced() {
    int depth = 0;
    for (const MenuEntry& e : QXWINmenu) {
        if (e.kind == MenuEntryKind::Popup) ++depth;
        if (e.kind == MenuEntryKind::End && --depth < 0) return false;
        if (e.kind != MenuEntryKind::Popup && e.kind != MenuEntryKind::End && depth == 0) return false;
    }
    return depth == 0;
}
static_assert(popupsBalanced(), "every Popup in QXWINmenu needs its End, and items belong inside a popup");

}  // namespace

std::span<const MenuEntry> loadMenu(const char* name) {
    if (name != nullptr && std::strcmp(name, MENU_RESOURCE_NAME) == 0) return QXWINmenu;
    return {};
}

const MenuEntry* findMenuCommand(int id) {
    for (const MenuEntry& e : QXWINmenu) {
        if (e.kind == MenuEntryKind::Command && e.id == id) return &e;
    }
    return nullptr;
}
