// The main window's menu, QXWINmenu, as data: every backend builds its menu bar from this table,
// and the window procedure dispatches on its command ids. A command id doubles as a value of
// `mode` when the command selects a mode or an editing tool.
#pragma once

#include <cstdint>
#include <span>

// File
constexpr int16_t CMD_FILE_NEW = 1001;
constexpr int16_t CMD_FILE_OPEN = 1002;
constexpr int16_t CMD_FILE_SAVE = 1003;
constexpr int16_t CMD_FILE_SAVE_AS = 1004;
constexpr int16_t CMD_FILE_PRINT = 1005;
constexpr int16_t CMD_FILE_EXIT = 1007;
// The last four bridges opened or saved, newest first: CMD_FILE_RECENT_1 + n - 1 is the nth.
constexpr int16_t CMD_FILE_RECENT_1 = 9021;
constexpr int16_t CMD_FILE_RECENT_4 = 9024;
constexpr int RECENT_FILE_COUNT = 4;
// A class contest's assignment file, opened and closed.
constexpr int16_t CMD_FILE_OPEN_ASSIGNMENT = 9031;
constexpr int16_t CMD_FILE_CLOSE_ASSIGNMENT = 9032;
// Sends the bridge to the class contest of the server the program was opened from.
constexpr int16_t CMD_FILE_SUBMIT_TO_CONTEST = 9051;
// Edit
constexpr int16_t CMD_EDIT_UNDO = 9001;
constexpr int16_t CMD_EDIT_REDO = 9002;
// Joints
constexpr int16_t CMD_JOINT_DELETE = 2001;
constexpr int16_t CMD_JOINT_MOVE = 2002;
constexpr int16_t CMD_JOINT_SHOW = 2003;
// Members; Change Size n is CMD_MEMBER_SIZE_1 + n - 1 and Default Size n is CMD_DEFAULT_SIZE_1 + n - 1.
constexpr int16_t CMD_MEMBER_DELETE = 3001;
constexpr int16_t CMD_MEMBER_SIZE_1 = 3201;
constexpr int16_t CMD_MEMBER_SIZE_12 = 3212;
constexpr int16_t CMD_MEMBER_SHOW_SIZES = 3300;
constexpr int16_t CMD_DEFAULT_SIZE_1 = 3401;
constexpr int16_t CMD_DEFAULT_SIZE_12 = 3412;
constexpr int16_t CMD_MEMBER_NUMBERS = 3500;
constexpr int16_t CMD_MEMBER_REFLECT = 3600;
constexpr int16_t CMD_MEMBER_SHOW_STATS = 3700;
// Display; the snap ids carry the step in their digits (4304 is 4 ft, 4505 is 10 ft, and so on).
constexpr int16_t CMD_DISPLAY_GRID = 4001;
constexpr int16_t CMD_DISPLAY_REFRESH = 4002;
constexpr int16_t CMD_DISPLAY_RESET_WINDOW = 4003;
constexpr int16_t CMD_JOINT_SNAP_4 = 4304;
constexpr int16_t CMD_JOINT_SNAP_5 = 4404;
constexpr int16_t CMD_JOINT_SNAP_10 = 4504;
constexpr int16_t CMD_COORD_SNAP_1 = 4105;
constexpr int16_t CMD_COORD_SNAP_2 = 4205;
constexpr int16_t CMD_COORD_SNAP_4 = 4305;
constexpr int16_t CMD_COORD_SNAP_5 = 4405;
constexpr int16_t CMD_COORD_SNAP_10 = 4505;
constexpr int16_t CMD_DISPLAY_ZOOM_IN = 9011;
constexpr int16_t CMD_DISPLAY_ZOOM_OUT = 9012;
constexpr int16_t CMD_DISPLAY_ACTUAL_SIZE = 9013;
// The views of the results: check marks, the first kept between runs.
constexpr int16_t CMD_DISPLAY_FORCE_COLOURS = 9041;
constexpr int16_t CMD_DISPLAY_MEMBER_TABLE = 9042;
constexpr int16_t CMD_DISPLAY_DEFLECTED_SHAPE = 9043;
// Mode
constexpr int16_t CMD_MODE_BUILD = 5001;
constexpr int16_t CMD_MODE_CALCULATE = 5002;
constexpr int16_t CMD_MODE_ANIMATE = 5003;
constexpr int16_t CMD_MODE_REVIEW = 5004;
// Options
constexpr int16_t CMD_OPTION_DEAD_LOAD = 6001;
constexpr int16_t CMD_OPTION_DECK_WEIGHT = 6002;
constexpr int16_t CMD_OPTION_LIVE_LOAD = 6003;
constexpr int16_t CMD_OPTION_MIN_FORCE = 6004;
// A check mark, kept between runs.
constexpr int16_t CMD_OPTION_LIVE_RESULTS = 9044;
// Special
constexpr int16_t CMD_SPECIAL_DXF = 7001;
constexpr int16_t CMD_SPECIAL_CLIPBOARD = 7002;
constexpr int16_t CMD_SPECIAL_SOUND = 7003;
constexpr int16_t CMD_SPECIAL_VRML = 7004;
// Help
constexpr int16_t CMD_HELP_MENU_COMMANDS = 8001;
constexpr int16_t CMD_HELP_GETTING_STARTED = 8002;
constexpr int16_t CMD_HELP_ABOUT = 8003;

// The member size (1..12) a Change Size or Default Size command sets, or 0 for any other id.
constexpr int changeSizeOf(int id) {
    return id >= CMD_MEMBER_SIZE_1 && id <= CMD_MEMBER_SIZE_12 ? id - 3200 : 0;
}
constexpr int defaultSizeOf(int id) {
    return id >= CMD_DEFAULT_SIZE_1 && id <= CMD_DEFAULT_SIZE_12 ? id - 3400 : 0;
}
// Which recent file (1..4) a File menu command opens, or 0 for any other id.
constexpr int recentFileOf(int id) {
    return id >= CMD_FILE_RECENT_1 && id <= CMD_FILE_RECENT_4 ? id - CMD_FILE_RECENT_1 + 1 : 0;
}

enum class MenuEntryKind : uint8_t {
    Popup,      // opens a menu (on the menu bar) or a submenu; its entries follow up to its End
    Command,    // an item that sends its id
    Separator,  // a rule between items
    End,        // closes the innermost open Popup
};

struct MenuEntry {
    MenuEntryKind kind;
    const char* text;  // "" for Separator and End
    int16_t id;        // 0 except for Command
};

// QXWINmenu, top to bottom. No item carries a check mark in the resource; the window sets them. The
// recent files' items have no text of their own: the window gives them their files' names, and
// an item without a name stays hidden.
// clang-format off
inline constexpr MenuEntry QXWINmenu[] = {
    {MenuEntryKind::Popup, "File", 0},
        {MenuEntryKind::Command, "New", CMD_FILE_NEW},
        {MenuEntryKind::Command, "Open...", CMD_FILE_OPEN},
        {MenuEntryKind::Command, "Save", CMD_FILE_SAVE},
        {MenuEntryKind::Command, "Save As...", CMD_FILE_SAVE_AS},
        {MenuEntryKind::Separator, "", 0},
        {MenuEntryKind::Command, "Print...", CMD_FILE_PRINT},
        {MenuEntryKind::Separator, "", 0},
        {MenuEntryKind::Command, "Open Assignment...", CMD_FILE_OPEN_ASSIGNMENT},
        {MenuEntryKind::Command, "Close Assignment", CMD_FILE_CLOSE_ASSIGNMENT},
        {MenuEntryKind::Command, "Submit to Contest...", CMD_FILE_SUBMIT_TO_CONTEST},
        {MenuEntryKind::Separator, "", 0},
        {MenuEntryKind::Command, "", 9021}, {MenuEntryKind::Command, "", 9022},
        {MenuEntryKind::Command, "", 9023}, {MenuEntryKind::Command, "", 9024},
        {MenuEntryKind::Separator, "", 0},
        {MenuEntryKind::Command, "Exit", CMD_FILE_EXIT},
    {MenuEntryKind::End, "", 0},
    {MenuEntryKind::Popup, "Edit", 0},
        {MenuEntryKind::Command, "Undo", CMD_EDIT_UNDO},
        {MenuEntryKind::Command, "Redo", CMD_EDIT_REDO},
    {MenuEntryKind::End, "", 0},
    {MenuEntryKind::Popup, "Joints", 0},
        {MenuEntryKind::Command, "Delete", CMD_JOINT_DELETE},
        {MenuEntryKind::Command, "Move", CMD_JOINT_MOVE},
        {MenuEntryKind::Command, "Show", CMD_JOINT_SHOW},
    {MenuEntryKind::End, "", 0},
    {MenuEntryKind::Popup, "Members", 0},
        {MenuEntryKind::Command, "Delete", CMD_MEMBER_DELETE},
        {MenuEntryKind::Popup, "Change Size", 0},
            {MenuEntryKind::Command, "1", 3201}, {MenuEntryKind::Command, "2", 3202},
            {MenuEntryKind::Command, "3", 3203}, {MenuEntryKind::Command, "4", 3204},
            {MenuEntryKind::Command, "5", 3205}, {MenuEntryKind::Command, "6", 3206},
            {MenuEntryKind::Command, "7", 3207}, {MenuEntryKind::Command, "8", 3208},
            {MenuEntryKind::Command, "9", 3209}, {MenuEntryKind::Command, "10", 3210},
            {MenuEntryKind::Command, "11", 3211}, {MenuEntryKind::Command, "12", 3212},
        {MenuEntryKind::End, "", 0},
        {MenuEntryKind::Command, "Show Sizes", CMD_MEMBER_SHOW_SIZES},
        {MenuEntryKind::Popup, "Default Size", 0},
            {MenuEntryKind::Command, "1", 3401}, {MenuEntryKind::Command, "2", 3402},
            {MenuEntryKind::Command, "3", 3403}, {MenuEntryKind::Command, "4", 3404},
            {MenuEntryKind::Command, "5", 3405}, {MenuEntryKind::Command, "6", 3406},
            {MenuEntryKind::Command, "7", 3407}, {MenuEntryKind::Command, "8", 3408},
            {MenuEntryKind::Command, "9", 3409}, {MenuEntryKind::Command, "10", 3410},
            {MenuEntryKind::Command, "11", 3411}, {MenuEntryKind::Command, "12", 3412},
        {MenuEntryKind::End, "", 0},
        {MenuEntryKind::Command, "Number Members", CMD_MEMBER_NUMBERS},
        {MenuEntryKind::Command, "Reflect Member", CMD_MEMBER_REFLECT},
        {MenuEntryKind::Command, "Show Stats", CMD_MEMBER_SHOW_STATS},
    {MenuEntryKind::End, "", 0},
    {MenuEntryKind::Popup, "Display", 0},
        {MenuEntryKind::Command, "Grid", CMD_DISPLAY_GRID},
        {MenuEntryKind::Command, "Refresh", CMD_DISPLAY_REFRESH},
        {MenuEntryKind::Command, "Reset Window", CMD_DISPLAY_RESET_WINDOW},
        {MenuEntryKind::Popup, "Joint Snap", 0},
            {MenuEntryKind::Command, "4", CMD_JOINT_SNAP_4},
            {MenuEntryKind::Command, "5", CMD_JOINT_SNAP_5},
            {MenuEntryKind::Command, "10", CMD_JOINT_SNAP_10},
        {MenuEntryKind::End, "", 0},
        {MenuEntryKind::Popup, "Coordinate Snap", 0},
            {MenuEntryKind::Command, "1", CMD_COORD_SNAP_1},
            {MenuEntryKind::Command, "2", CMD_COORD_SNAP_2},
            {MenuEntryKind::Command, "4", CMD_COORD_SNAP_4},
            {MenuEntryKind::Command, "5", CMD_COORD_SNAP_5},
            {MenuEntryKind::Command, "10", CMD_COORD_SNAP_10},
        {MenuEntryKind::End, "", 0},
        {MenuEntryKind::Separator, "", 0},
        {MenuEntryKind::Command, "Zoom In", CMD_DISPLAY_ZOOM_IN},
        {MenuEntryKind::Command, "Zoom Out", CMD_DISPLAY_ZOOM_OUT},
        {MenuEntryKind::Command, "Actual Size", CMD_DISPLAY_ACTUAL_SIZE},
        {MenuEntryKind::Separator, "", 0},
        {MenuEntryKind::Command, "Forces in Colour", CMD_DISPLAY_FORCE_COLOURS},
        {MenuEntryKind::Command, "Member Table", CMD_DISPLAY_MEMBER_TABLE},
        {MenuEntryKind::Command, "Deflected Shape", CMD_DISPLAY_DEFLECTED_SHAPE},
    {MenuEntryKind::End, "", 0},
    {MenuEntryKind::Popup, "Mode", 0},
        {MenuEntryKind::Command, "Build", CMD_MODE_BUILD},
        {MenuEntryKind::Command, "Calculate", CMD_MODE_CALCULATE},
        {MenuEntryKind::Command, "Animate", CMD_MODE_ANIMATE},
        {MenuEntryKind::Command, "Review", CMD_MODE_REVIEW},
    {MenuEntryKind::End, "", 0},
    {MenuEntryKind::Popup, "Options", 0},
        {MenuEntryKind::Command, "Include Truss Dead Load", CMD_OPTION_DEAD_LOAD},
        {MenuEntryKind::Command, "Include Deck Weight", CMD_OPTION_DECK_WEIGHT},
        {MenuEntryKind::Command, "Additional Live Load", CMD_OPTION_LIVE_LOAD},
        {MenuEntryKind::Command, "Use Min. Member Force", CMD_OPTION_MIN_FORCE},
        {MenuEntryKind::Separator, "", 0},
        {MenuEntryKind::Command, "Live Results", CMD_OPTION_LIVE_RESULTS},
    {MenuEntryKind::End, "", 0},
    {MenuEntryKind::Popup, "Special", 0},
        {MenuEntryKind::Command, "Make DXF", CMD_SPECIAL_DXF},
        {MenuEntryKind::Command, "Make VRML", CMD_SPECIAL_VRML},
        {MenuEntryKind::Command, "Copy to Clipboard", CMD_SPECIAL_CLIPBOARD},
        {MenuEntryKind::Command, "Use Sound", CMD_SPECIAL_SOUND},
    {MenuEntryKind::End, "", 0},
    {MenuEntryKind::Popup, "Help", 0},
        {MenuEntryKind::Command, "Getting Started", CMD_HELP_GETTING_STARTED},
        {MenuEntryKind::Command, "Menu Commands", CMD_HELP_MENU_COMMANDS},
        {MenuEntryKind::Separator, "", 0},
        {MenuEntryKind::Command, "About...", CMD_HELP_ABOUT},
    {MenuEntryKind::End, "", 0},
};
// clang-format on

constexpr const char* MENU_RESOURCE_NAME = "QXWINmenu";

// The entries of the menu resource called name (compared exactly), or an empty span.
std::span<const MenuEntry> loadMenu(const char* name);

// The menu item that sends id, or nullptr when no item does.
const MenuEntry* findMenuCommand(int id);
