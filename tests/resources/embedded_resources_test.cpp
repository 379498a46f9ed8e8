// The embedded resources: all present under their names, identical to the files in the source tree,
// and the help pages covering every menu command.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "resources/embedded_resources.h"
#include "resources/menu_resource.h"
#include "resources/program_resources.h"

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where the build took a resource from, below resources/ in the source tree.
std::string sourceFile(const EmbeddedResource& r) {
    std::string name = r.name;
    switch (r.kind) {
        case ResourceKind::Picture:
            return "pictures/" + name + ".bmp";
        case ResourceKind::Sound:
            return "sounds/" + name;
        case ResourceKind::HelpPage:
            return "help/" + name.substr(0, name.find('.')) + ".html";
    }
    return "";
}

std::string page(const char* name) {
    const EmbeddedResource* r = findResource(name);
    return r != nullptr ? std::string(reinterpret_cast<const char*>(r->begin), r->size()) : std::string();
}

}  // namespace

// Every name the program uses finds a non-empty resource of the right kind, followed by a 0 byte.
TEST(EmbeddedResources, EveryNamePresent) {
    struct Expected {
        const char* name;
        ResourceKind kind;
    };
    const Expected all[] = {
        {RES_SITE_PICTURE, ResourceKind::Picture},
        {RES_TITLE_PICTURE, ResourceKind::Picture},
        {RES_TRUCK, ResourceKind::Picture},
        {RES_TRUCK_MASK, ResourceKind::Picture},
        {RES_ICON, ResourceKind::Picture},
        {RES_ICON_SMALL, ResourceKind::Picture},
        {SOUND_ENGINE_START, ResourceKind::Sound},
        {SOUND_ENGINE, ResourceKind::Sound},
        {SOUND_HORN, ResourceKind::Sound},
        {SOUND_CRASH, ResourceKind::Sound},
        {SOUND_CHEERS, ResourceKind::Sound},
        {HELP_MENU_COMMANDS, ResourceKind::HelpPage},
        {HELP_GETTING_STARTED, ResourceKind::HelpPage},
    };
    for (const Expected& e : all) {
        const EmbeddedResource* r = findResource(e.name);
        ASSERT_NE(r, nullptr) << e.name;
        EXPECT_STREQ(r->name, e.name);
        EXPECT_EQ(r->kind, e.kind) << e.name;
        EXPECT_GT(r->size(), 100u) << e.name;
        EXPECT_EQ(*r->end, 0) << e.name;
        EXPECT_EQ(r->bytes().size(), r->size());
    }
    EXPECT_EQ(embeddedResources().size(), std::size(all));
    std::set<std::string> names;
    for (const EmbeddedResource& r : embeddedResources()) EXPECT_TRUE(names.insert(r.name).second) << r.name;
}

// Names compare without regard to ASCII case; unknown names find nothing.
TEST(EmbeddedResources, Lookup) {
    EXPECT_EQ(findResource("rcqxbrd"), findResource("RcQXBrd"));
    EXPECT_EQ(findResource("TRUCK.WAV"), findResource("truck.wav"));
    EXPECT_NE(findResource("RcTruckm"), findResource("RcTruck"));
    EXPECT_EQ(findResource("RcTruckmm"), nullptr);
    EXPECT_EQ(findResource("RcTruc"), nullptr);
    EXPECT_EQ(findResource(""), nullptr);
    EXPECT_EQ(findResource(nullptr), nullptr);
}

// The program carries exactly the files of the source tree: a stale build would show here.
TEST(EmbeddedResources, SameBytesAsTheSourceFiles) {
    for (const EmbeddedResource& r : embeddedResources()) {
        std::string onDisk = fileText(std::string(TRUSSMILL_SOURCE_DIR) + "/resources/" + sourceFile(r));
        ASSERT_EQ(onDisk.size(), r.size()) << r.name;
        EXPECT_TRUE(onDisk == std::string(reinterpret_cast<const char*>(r.begin), r.size())) << r.name;
    }
}

// The help pages are HTML; the menu page explains every item of every menu and submenu.
TEST(EmbeddedResources, HelpPagesCoverTheMenu) {
    for (const char* name : {HELP_MENU_COMMANDS, HELP_GETTING_STARTED}) {
        std::string html = page(name);
        EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u) << name;
        EXPECT_NE(html.find("<title>"), std::string::npos) << name;
        EXPECT_NE(html.find("</html>"), std::string::npos) << name;
    }
    std::string menuPage = page(HELP_MENU_COMMANDS);
    for (const MenuEntry& e : QXWINmenu) {
        if (e.kind == MenuEntryKind::Popup) {
            EXPECT_NE(menuPage.find(std::string(">") + e.text + "<"), std::string::npos) << e.text;
        } else if (e.kind == MenuEntryKind::Command &&
                   e.text[0] > '9') {  // the numbered sizes and snaps are tabled, the recent files named
            EXPECT_NE(menuPage.find(std::string(">") + e.text + "<"), std::string::npos) << e.text;
        }
    }
    std::string started = page(HELP_GETTING_STARTED);
    for (const char* step : {"Build", "Calculate", "Review", "Change Size", "Animate", "Save As..."})
        EXPECT_NE(started.find(step), std::string::npos) << step;
}
