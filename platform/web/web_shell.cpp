// The browser shell's window, message loop, waits, clock, sound, clipboard, help and the views of
// the results beside the board. The dialogs, files and printing are in web_dialogs.cpp.
#include "platform/web/web_shell.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "files/assignment_file.h"
#include "platform/menu_text.h"
#include "platform/web/web_bridge.h"
#include "resources/embedded_resources.h"
#include "resources/menu_resource.h"
#include "resources/wav_clip.h"

namespace {

// The page's input records: kind, then up to three numbers.
enum InputKind : int32_t {
    INPUT_COMMAND = 1,  // a: command id
    INPUT_MOVE = 2,     // a, b: board pixel; c: 1 while the left button is down
    INPUT_DOWN = 3,     // a, b: board pixel
    INPUT_UP = 4,       // a, b: board pixel
    INPUT_DROP = 5,     // a file dropped on the page; its path comes with it
    INPUT_KEY = 6,      // a: KeyName, b: 1 with Shift held; a key pressed while the board has the keyboard
    // The member table's own input, each naming a member by its number in a:
    INPUT_ROW_SELECTED = 7,
    INPUT_SIZE_CHOSEN = 8,  // b: the size, 1..12
    INPUT_ROW_OPENED = 9,
    INPUT_TABLE_CLOSED = 10,  // no member
};

// Texts written into JSON: the menu's are Latin-1, the views' UTF-8 like every other text the page
// shows.
enum class TextBytes { Latin1, Utf8 };

void appendJsonString(std::string& out, std::string_view text, TextBytes bytes = TextBytes::Latin1) {
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else if (u >= 0x80 && bytes == TextBytes::Latin1) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += c;
        }
    }
    out += '"';
}

// Keys a browser keeps for itself (a new window, quitting, closing the tab): a page never sees them,
// so the menus do not offer them.
bool browserKeeps(std::string_view keys) {
    return keys == "Ctrl+N" || keys == "Ctrl+Q" || keys == "Ctrl+W";
}

const char* shortcutOf(int command) {
    for (const MenuShortcut& s : menuShortcuts()) {
        if (s.shownInMenu && s.command == command && !browserKeeps(s.keys)) return s.keys;
    }
    return nullptr;
}

// The 0xFFRRGGBB pixels of area (inside the surface) as RGBA bytes.
void toRgba(const Surface& surface, Rect area, std::vector<uint8_t>& out) {
    out.resize(size_t(area.width()) * size_t(area.height()) * 4);
    uint8_t* to = out.data();
    for (int y = area.top; y < area.bottom; ++y) {
        const Color* from = surface.row(y) + area.left;
        for (int x = 0; x < area.width(); ++x) {
            const Color c = from[x];
            *to++ = uint8_t(c >> 16);
            *to++ = uint8_t(c >> 8);
            *to++ = uint8_t(c);
            *to++ = 0xFF;
        }
    }
}

// A number for JSON: as exact as a double goes; a value JSON cannot hold sorts as null, first.
void appendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    out += text;
}

void appendJsonStrings(std::string& out, const std::vector<std::string>& texts) {
    out += '[';
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out += ',';
        appendJsonString(out, texts[i], TextBytes::Utf8);
    }
    out += ']';
}

}  // namespace

WebShell::WebShell() = default;

WebShell::~WebShell() {
    tm_stop_sound();
}

std::string WebShell::menuJson() {
    std::string json = "{\"menus\":[";
    // Each open level's separator state and the mnemonics its items took.
    struct Level {
        bool first;
        std::string taken;
    };
    std::vector<Level> levels{{true, {}}};
    for (const MenuEntry& entry : loadMenu(MENU_RESOURCE_NAME)) {
        Level& level = levels.back();
        if (entry.kind == MenuEntryKind::End) {
            if (levels.size() > 1) {
                json += "]}";
                levels.pop_back();
            }
            continue;
        }
        if (!level.first) json += ',';
        level.first = false;
        switch (entry.kind) {
            case MenuEntryKind::Popup:
                json += "{\"text\":";
                appendJsonString(json, withMnemonic(entry.text, level.taken));
                json += ",\"items\":[";
                levels.push_back({true, {}});
                break;
            case MenuEntryKind::Command:
                json += "{\"text\":";
                appendJsonString(json, withMnemonic(entry.text, level.taken));
                json += ",\"id\":" + std::to_string(entry.id);
                if (const char* keys = shortcutOf(entry.id)) {
                    json += ",\"keys\":";
                    appendJsonString(json, keys);
                }
                json += '}';
                break;
            case MenuEntryKind::Separator:
                json += "{}";
                break;
            case MenuEntryKind::End:
                break;
        }
    }
    json += "],\"hidden\":[";
    bool first = true;
    for (const MenuShortcut& s : menuShortcuts()) {
        if (s.shownInMenu || browserKeeps(s.keys)) continue;
        if (!first) json += ',';
        first = false;
        json += "{\"id\":" + std::to_string(s.command) + ",\"keys\":";
        appendJsonString(json, s.keys);
        json += '}';
    }
    json += "]}";
    return json;
}

std::string WebShell::memberTableJson(const MemberTableContents& contents) {
    std::string json = "{\"title\":";
    appendJsonString(json, contents.title, TextBytes::Utf8);
    json += ",\"headings\":";
    appendJsonStrings(json, contents.headings);
    json += ",\"rows\":[";
    for (size_t r = 0; r < contents.rows.size(); ++r) {
        if (r > 0) json += ',';
        json += '[';
        for (size_t c = 0; c < contents.rows[r].size(); ++c) {
            if (c > 0) json += ',';
            json += '[';
            appendJsonString(json, contents.rows[r][c].text, TextBytes::Utf8);
            json += ',';
            appendJsonNumber(json, contents.rows[r][c].sortKey);
            json += ']';
        }
        json += ']';
    }
    json += "],\"sizeColumn\":" + std::to_string(contents.sizeColumn) + ",\"sizeChoices\":";
    appendJsonStrings(json, contents.sizeChoices);
    json += ",\"selected\":" + std::to_string(contents.selectedMember) + '}';
    return json;
}

// ---- Start-up and display modes

bool WebShell::previousInstanceRunning() {
    return tm_instance_running() != 0;
}

std::string WebShell::instanceTag() {
    char tag[64] = {};
    tm_instance_tag(tag, sizeof tag);
    return tag;
}

std::vector<std::string> WebShell::storedNames(StoreKind kind) {
    std::string lines(256, '\0');
    for (;;) {
        const int needed = tm_stored_names(int(kind), lines.data(), int(lines.size()));
        if (needed <= int(lines.size())) break;
        lines.assign(size_t(needed), '\0');
    }
    lines.resize(std::strlen(lines.c_str()));
    std::vector<std::string> names;
    for (size_t at = 0; at < lines.size();) {
        const size_t end = std::min(lines.find('\n', at), lines.size());
        if (end > at) names.push_back(lines.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

bool WebShell::instanceMayBeRunning(std::string_view tag) {
    return tm_instance_may_run(std::string(tag).c_str()) != 0;
}

bool WebShell::changeDisplayMode(int, int) {
    return false;
}

void WebShell::restoreDisplayMode() {}

// ---- The window and its messages

bool WebShell::createMainWindow(const WindowSpec& window, WindowProcedure& procedure) {
    assert(!created_ && "the program has one main window; createMainWindow was called twice");
    created_ = true;
    alive_ = true;
    procedure_ = &procedure;
    surface_ = Surface(std::max(0, window.outer.width() - FRAME_WIDTH),
                       std::max(0, window.outer.height() - FRAME_HEIGHT), WHITE);
    tm_create_window(window.title.c_str(), menuJson().c_str(), surface_.width(), surface_.height());
    WindowMessage create;
    create.kind = MessageKind::Create;
    deliver(create);
    return alive_;
}

void WebShell::showWindow() {
    if (!alive_) return;
    invalid_ = true;  // a window shown for the first time needs painting
    presentDirty();
}

void WebShell::setWindowTitle(std::string_view title) {
    if (alive_) tm_set_title(std::string(title).c_str());
}

int WebShell::runMessageLoop() {
    quitCode_.reset();
    if (!startupNotice_.empty()) notice(std::exchange(startupNotice_, {}));
    while (!quitCode_) {
        if (!queue_.empty()) {
            const Queued next = queue_.front();
            queue_.pop_front();
            if (next.quit) {
                quitCode_ = next.exitCode;
            } else {
                deliver(next.message);
            }
        } else if (takePageInput()) {
            continue;
        } else if (invalid_ && alive_) {
            invalid_ = false;  // the paint handler validates the window
            WindowMessage paint;
            paint.kind = MessageKind::Paint;
            deliver(paint);
        } else if (timerDue_ && int32_t(tickCount() - *timerDue_) >= 0) {
            timerDue_.reset();
            WindowMessage timer;
            timer.kind = MessageKind::Timer;
            deliver(timer);
        } else {
            tm_wait_input(timerDue_ ? int(int32_t(*timerDue_ - tickCount())) + 1 : 0);
        }
    }
    return *quitCode_;
}

bool WebShell::takePageInput() {
    int32_t record[4] = {};
    char path[DIALOG_PATH_CHARS + 1] = {};
    if (!tm_poll_input(record, path, sizeof path)) return false;
    if (!alive_) return true;  // input for a window that is gone is dropped
    WindowMessage message;
    switch (record[0]) {
        case INPUT_COMMAND:
            message.kind = MessageKind::Command;
            message.command = record[1];
            break;
        case INPUT_MOVE:
            message.kind = MessageKind::PointerMove;
            message.pointer = {record[1], record[2]};
            message.leftButtonDown = record[3] != 0;
            break;
        case INPUT_DOWN:
            message.kind = MessageKind::LeftButtonDown;
            message.pointer = {record[1], record[2]};
            message.leftButtonDown = true;
            break;
        case INPUT_UP:
            message.kind = MessageKind::LeftButtonUp;
            message.pointer = {record[1], record[2]};
            break;
        case INPUT_DROP:
            // File/Open (or Open Assignment) with the dropped file as the open dialog's answer: the
            // unsaved-changes question comes first, as it does for Open.
            droppedFile_ = path;
            message.kind = MessageKind::Command;
            message.command = isAssignmentPath(path) ? CMD_FILE_OPEN_ASSIGNMENT : CMD_FILE_OPEN;
            break;
        case INPUT_KEY:
            if (record[1] <= int(KeyName::None) || record[1] > int(KeyName::Tab)) return true;
            message.kind = MessageKind::Key;
            message.key = KeyName(record[1]);
            message.shift = record[2] != 0;
            break;
        case INPUT_ROW_SELECTED:
            message.kind = MessageKind::TableRowSelected;
            message.member = record[1];
            break;
        case INPUT_SIZE_CHOSEN:
            message.kind = MessageKind::TableSizeChosen;
            message.member = record[1];
            message.value = record[2];
            break;
        case INPUT_ROW_OPENED:
            message.kind = MessageKind::TableRowOpened;
            message.member = record[1];
            break;
        case INPUT_TABLE_CLOSED:
            message.kind = MessageKind::TableClosed;
            break;
        default:
            return true;
    }
    queue_.push_back({false, 0, message});
    return true;
}

void WebShell::postQuit(int exitCode) {
    queue_.push_back({true, exitCode, {}});
}

void WebShell::deliver(const WindowMessage& message) {
    if (!alive_) return;
    ++depth_;
    const MessageResult result = procedure_->handleMessage(message);
    if (result == MessageResult::Default && message.kind == MessageKind::Close) destroyWindow();
    presentDirty();
    if (--depth_ > 0) return;  // a message sent from inside another one
    droppedFile_.reset();      // a drop whose Open was given up on is forgotten
    if (unsavedWork_) {
        const bool unsaved = alive_ && unsavedWork_();
        if (unsaved != unsavedShown_) tm_set_unsaved_work(unsaved ? 1 : 0);
        unsavedShown_ = unsaved;
    }
}

Surface& WebShell::windowSurface() {
    assert(created_ && "windowSurface() before the main window was created");
    return surface_;
}

void WebShell::present(Rect area) {
    if (!alive_) return;
    const Rect shown = intersection(area, surface_.bounds());
    if (shown.empty()) return;
    toRgba(surface_, shown, rgba_);
    tm_present(rgba_.data(), shown.left, shown.top, shown.width(), shown.height());
}

void WebShell::presentDirty() {
    if (created_) present(surface_.takeDirtyRect());
}

void WebShell::invalidate() {
    if (alive_) invalid_ = true;
}

void WebShell::moveWindow(Rect outer, bool repaint) {
    if (!alive_) return;
    const int width = std::max(0, outer.width() - FRAME_WIDTH);
    const int height = std::max(0, outer.height() - FRAME_HEIGHT);
    if (width != surface_.width() || height != surface_.height()) {
        surface_.resize(width, height, WHITE);
        tm_resize_board(width, height);
        WindowMessage size;
        size.kind = MessageKind::Size;
        size.sizeKind = SizeKind::Restored;
        size.clientWidth = width;
        size.clientHeight = height;
        deliver(size);
    }
    if (repaint) invalidate();
}

int WebShell::clientWidth() {
    return surface_.width();
}

int WebShell::clientHeight() {
    return surface_.height();
}

int WebShell::fullScreenClientHeight() {
    return 32767;
}

bool WebShell::isMinimized() {
    return false;
}

void WebShell::sendClose() {
    WindowMessage close;
    close.kind = MessageKind::Close;
    deliver(close);
}

void WebShell::destroyWindow() {
    if (!alive_) return;
    WindowMessage destroy;
    destroy.kind = MessageKind::Destroy;
    deliver(destroy);
    alive_ = false;
    invalid_ = false;
    tm_close_window();
}

// ---- Menu and cursor

void WebShell::checkMenuItem(int command, bool checked) {
    if (alive_) tm_set_check(command, checked ? 1 : 0);
}

void WebShell::enableMenuItem(int command, bool enabled) {
    if (alive_) tm_enable_item(command, enabled ? 1 : 0);
}

void WebShell::setMenuItemText(int command, std::string_view text, std::string_view tip) {
    if (alive_) tm_set_item_text(command, std::string(text).c_str(), std::string(tip).c_str());
}

void WebShell::setMenuItemTip(int command, std::string_view tip) {
    if (alive_) tm_set_item_tip(command, std::string(tip).c_str());
}

void WebShell::showAssignment(std::string_view title) {
    if (alive_) tm_show_assignment(std::string(title).c_str(), CMD_FILE_CLOSE_ASSIGNMENT);
}

int WebShell::setBoardScale(int scale) {
    scale = std::clamp(scale, 1, MAX_BOARD_SCALE);
    if (alive_) tm_set_board_scale(scale);
    return scale;
}

int WebShell::largestFittingBoardScale() {
    return std::clamp(tm_largest_board_scale(MAX_BOARD_SCALE), 1, MAX_BOARD_SCALE);
}

CursorShape WebShell::setCursor(CursorShape shape) {
    const CursorShape previous = std::exchange(cursor_, shape);
    tm_set_wait_cursor(shape == CursorShape::Wait ? 1 : 0);
    return previous;
}

// ---- Sound

void WebShell::playSound(std::string_view fileName, SoundMode mode) {
    const EmbeddedResource* resource = findResource(std::string(fileName).c_str());
    if (!resource || resource->kind != ResourceKind::Sound) return;
    const std::optional<WavClip> clip = readWavClip(resource->bytes());
    if (!clip) return;
    const int id = int(resource - embeddedResources().data());
    if (mode == SoundMode::Synchronous) presentDirty();
    const uint32_t start = tickCount();
    tm_play_sound(id, clip->samples.data(), int(clip->samples.size()), clip->channels, clip->sampleRate,
                  clip->bitsPerSample, mode == SoundMode::Looping ? 1 : 0);
    // Without sound (before the user's first gesture, or with none to play on) a synchronous
    // sound takes its time all the same.
    if (mode == SoundMode::Synchronous) sleepUntilAfter(start, clip->lengthMs());
}

void WebShell::stopSound() {
    tm_stop_sound();
}

// ---- Time

void WebShell::describeBoard(std::string_view summary) {
    tm_describe_board(std::string(summary).c_str());
}

void WebShell::announce(std::string_view text) {
    tm_announce(std::string(text).c_str());
}

bool WebShell::prefersReducedMotion() {
    return tm_prefers_reduced_motion() != 0;
}

void WebShell::setTimer(uint32_t milliseconds) {
    if (milliseconds == 0) {
        timerDue_.reset();
    } else {
        timerDue_ = tickCount() + milliseconds;
    }
}

uint32_t WebShell::tickCount() {
    return uint32_t(uint64_t(tm_now_ms()));
}

void WebShell::waitUntilAfter(uint32_t startTick, uint32_t milliseconds) {
    presentDirty();
    sleepUntilAfter(startTick, milliseconds);
}

void WebShell::sleepUntilAfter(uint32_t startTick, uint32_t milliseconds) {
    for (;;) {
        // Unsigned differences keep this right across the wrap of the counter.
        const uint32_t elapsed = tickCount() - startTick;
        if (elapsed > milliseconds) return;
        tm_sleep(int(milliseconds - elapsed + 1));
    }
}

LocalTime WebShell::localTime() {
    int32_t f[6] = {};
    tm_local_time(f);
    return {f[0], f[1], f[2], f[3], f[4], f[5]};
}

// ---- Clipboard and help

void WebShell::copyImageToClipboard(const Surface& image) {
    std::vector<uint8_t> rgba;
    toRgba(image, image.bounds(), rgba);
    char reason[256] = {};
    if (tm_copy_image(rgba.data(), image.width(), image.height(), reason, sizeof reason)) return;
    notice(std::string("The picture could not be copied to the clipboard: ") + reason + ".");
}

void WebShell::showHelp(std::string_view helpFile) {
    const EmbeddedResource* page = findResource(std::string(helpFile).c_str());
    if (!page || page->kind != ResourceKind::HelpPage) return;
    tm_show_help(reinterpret_cast<const char*>(page->begin), int(page->size()));
}

// ---- The views of the results

void WebShell::showMemberTable(const MemberTableContents& contents) {
    if (alive_) tm_show_member_table(memberTableJson(contents).c_str());
}

void WebShell::selectMemberTableRow(int member) {
    if (alive_) tm_select_table_row(member);
}

void WebShell::closeMemberTable() {
    tm_close_member_table();
}

void WebShell::showPicture(std::string_view title, const Surface& picture) {
    if (!alive_) return;
    std::vector<uint8_t> rgba;
    toRgba(picture, picture.bounds(), rgba);
    tm_show_picture(std::string(title).c_str(), rgba.data(), picture.width(), picture.height());
}

// ---- What outlives a run

std::optional<std::string> WebShell::loadStored(StoreKind kind, std::string_view name) {
    const std::string key(name);
    const int size = tm_stored_size(int(kind), key.c_str());
    if (size < 0) return std::nullopt;
    std::string contents(size_t(size), '\0');
    tm_stored_copy(int(kind), key.c_str(), contents.data(), size);
    return contents;
}

bool WebShell::store(StoreKind kind, std::string_view name, std::string_view contents) {
    return tm_store(int(kind), std::string(name).c_str(), contents.data(), int(contents.size())) != 0;
}

void WebShell::removeStored(StoreKind kind, std::string_view name) {
    tm_remove_stored(int(kind), std::string(name).c_str());
}
