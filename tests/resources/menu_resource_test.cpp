// The menu resource against the command table it must carry, and the string table's filters.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resources/menu_resource.h"
#include "resources/program_resources.h"

namespace {

constexpr int RULE = -1;  // a separator in the expected order

std::vector<int> range(int first, int last) {
    std::vector<int> ids;
    for (int id = first; id <= last; ++id) ids.push_back(id);
    return ids;
}

}  // namespace

// Every command id in the order of the menus, separators where they belong, under the right menus.
TEST(MenuResource, ItemsInOrder) {
    std::vector<int> expected = {1001, 1002, 1003, 1004, RULE, 1005, RULE, 9031, 9032, 9051, RULE, 9021,
                                 9022, 9023, 9024, RULE, 1007, 9001, 9002, 2001, 2002, 2003, 3001};
    for (int id : range(3201, 3212)) expected.push_back(id);
    expected.push_back(3300);
    for (int id : range(3401, 3412)) expected.push_back(id);
    for (int id : {3500, 3600, 3700, 4001, 4002, 4003, 4304, 4404, 4504, 4105, 4205, 4305, 4405, 4505,
                   RULE, 9011, 9012, 9013, RULE, 9041, 9042, 9043, 5001, 5002, 5003, 5004, 6001, 6002,
                   6003, 6004, RULE, 9044, 7001, 7004, 7002, 7003, 8002, 8001, RULE, 8003})
        expected.push_back(id);

    std::vector<int> actual;
    std::vector<std::string> menuBar, submenus;
    int depth = 0;
    for (const MenuEntry& e : QXWINmenu) {
        switch (e.kind) {
            case MenuEntryKind::Popup:
                (depth == 0 ? menuBar : submenus).push_back(e.text);
                ++depth;
                break;
            case MenuEntryKind::End:
                --depth;
                break;
            case MenuEntryKind::Separator:
                actual.push_back(RULE);
                break;
            case MenuEntryKind::Command:
                actual.push_back(e.id);
                // Only the recent files' items take their texts from the window.
                EXPECT_EQ(std::strlen(e.text) > 0, recentFileOf(e.id) == 0) << e.id;
                break;
        }
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(menuBar, (std::vector<std::string>{"File", "Edit", "Joints", "Members", "Display", "Mode",
                                                 "Options", "Special", "Help"}));
    EXPECT_EQ(submenus,
              (std::vector<std::string>{"Change Size", "Default Size", "Joint Snap", "Coordinate Snap"}));
    EXPECT_EQ(loadMenu(MENU_RESOURCE_NAME).size(), std::size(QXWINmenu));
    EXPECT_TRUE(loadMenu("NoSuchMenu").empty());
}

// Item texts as the user sees them, and lookups by id.
TEST(MenuResource, TextsAndLookups) {
    auto text = [](int id) {
        const MenuEntry* e = findMenuCommand(id);
        return e != nullptr ? std::string(e->text) : std::string("(none)");
    };
    EXPECT_EQ(text(CMD_FILE_OPEN), "Open...");
    EXPECT_EQ(text(CMD_FILE_SAVE_AS), "Save As...");
    EXPECT_EQ(text(CMD_MEMBER_SIZE_1 + 6), "7");
    EXPECT_EQ(text(CMD_DEFAULT_SIZE_12), "12");
    EXPECT_EQ(text(CMD_COORD_SNAP_10), "10");
    EXPECT_EQ(text(CMD_OPTION_MIN_FORCE), "Use Min. Member Force");
    EXPECT_EQ(text(CMD_SPECIAL_CLIPBOARD), "Copy to Clipboard");
    EXPECT_EQ(text(CMD_HELP_ABOUT), "About...");
    EXPECT_EQ(text(CMD_HELP_GETTING_STARTED), "Getting Started");
    EXPECT_EQ(text(CMD_HELP_MENU_COMMANDS), "Menu Commands");
    EXPECT_EQ(text(CMD_EDIT_UNDO), "Undo");
    EXPECT_EQ(text(CMD_DISPLAY_ACTUAL_SIZE), "Actual Size");
    EXPECT_EQ(findMenuCommand(0), nullptr);
    EXPECT_EQ(recentFileOf(9021), 1);
    EXPECT_EQ(recentFileOf(9024), 4);
    EXPECT_EQ(recentFileOf(9025), 0);
    // Size commands, at and just outside their ranges.
    EXPECT_EQ(changeSizeOf(3201), 1);
    EXPECT_EQ(changeSizeOf(3212), 12);
    EXPECT_EQ(changeSizeOf(3200), 0);
    EXPECT_EQ(changeSizeOf(3213), 0);
    EXPECT_EQ(defaultSizeOf(3405), 5);
    EXPECT_EQ(defaultSizeOf(3412), 12);
    EXPECT_EQ(defaultSizeOf(3413), 0);
    EXPECT_EQ(defaultSizeOf(3205), 0);
    // No id is used twice.
    std::set<int> seen;
    for (const MenuEntry& e : QXWINmenu) {
        if (e.kind == MenuEntryKind::Command) {
            EXPECT_TRUE(seen.insert(e.id).second) << e.id;
        }
    }
}

// The filters as the dialogs receive them: cut at every separator (the last character), each
// gives three (description, pattern) pairs, its own file type first.
TEST(StringTable, FileDialogFilters) {
    EXPECT_STREQ(loadString(1), "Bridge Files (*.BRG)|*.BRG|All files (*.*)|*.*|DXF files (*.DXF)|*.DXF|");
    EXPECT_STREQ(loadString(2), "DXF files (*.DXF)|*.DXF|All files (*.*)|*.*|Bridge Files (*.BRG)|*.BRG|");
    EXPECT_STREQ(loadString(3), "VRML files (*.WRL)|*.WRL|All files (*.*)|*.*|Bridge Files (*.BRG)|*.BRG|");
    EXPECT_STREQ(loadString(4),
                 "Assignments (*.trussmill-assignment)|*.trussmill-assignment|All files (*.*)|*.*|");
    EXPECT_EQ(loadString(0), nullptr);
    EXPECT_EQ(loadString(5), nullptr);
    for (int id : {STR_BRIDGE_FILTER, STR_DXF_FILTER, STR_VRML_FILTER}) {
        std::string filter = loadString(id);
        char separator = filter.back();
        std::vector<std::string> parts;
        std::string part;
        for (char c : filter) {
            if (c == separator) {
                parts.push_back(part);
                part.clear();
            } else {
                part += c;
            }
        }
        ASSERT_EQ(parts.size(), 6u) << id;
        EXPECT_EQ(parts[3], "*.*") << id;
    }
}
