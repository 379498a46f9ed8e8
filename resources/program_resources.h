// The names by which the program refers to its resources (pictures, sounds, help pages) and its
// string table, which holds the filters of the file dialogs. The menu is in menu_resource.h, the
// bytes of the pictures, sounds and help pages in embedded_resources.h.
#pragma once

// Pictures: uncompressed 4-bit BMP files in the 16-colour palette.
constexpr const char* RES_SITE_PICTURE = "RcQXBrd";      // 640 x 480, the bridge site
constexpr const char* RES_TITLE_PICTURE = "RcStartBrd";  // 640 x 480, the intro picture
constexpr const char* RES_TRUCK = "RcTruck";             // 54 x 15, black outside the truck
constexpr const char* RES_TRUCK_MASK = "RcTruckm";       // 54 x 15, black where the truck is opaque
constexpr const char* RES_ICON = "RcIconQXWIN";          // 32 x 32
constexpr const char* RES_ICON_SMALL = "RcIconQXWIN16";  // 16 x 16, the same picture for title bars

constexpr int SITE_PICTURE_WIDTH = 640;
constexpr int SITE_PICTURE_HEIGHT = 480;

// Sounds, addressed by their file names; all mono WAV files.
constexpr const char* SOUND_ENGINE_START = "truckstr.wav";  // about 1.5 s, played once
constexpr const char* SOUND_ENGINE = "truck.wav";           // about 1 s, loops seamlessly
constexpr const char* SOUND_HORN = "truckwh.wav";           // about 1 s
constexpr const char* SOUND_CRASH = "crash.wav";            // about 1.5 s, loops seamlessly
constexpr const char* SOUND_CHEERS = "cheers.wav";          // about 2.5 s

// Help pages, addressed by their file names; the pages themselves are HTML.
constexpr const char* HELP_MENU_COMMANDS = "qx4menu.hlp";
constexpr const char* HELP_GETTING_STARTED = "qx4gs.hlp";

// String table entries. Each filter's last character is its separator: every occurrence of it
// ends one text of the (description, pattern) pairs the file dialogs offer.
constexpr int STR_BRIDGE_FILTER = 1;
constexpr int STR_DXF_FILTER = 2;
constexpr int STR_VRML_FILTER = 3;
constexpr int STR_ASSIGNMENT_FILTER = 4;

// The text of string table entry id, or nullptr when the table has no such entry.
const char* loadString(int id);
