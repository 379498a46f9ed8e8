// trussmill-fuzz-seeds OUT_FOLDER: writes the seed corpora the fuzz targets start from.
// OUT/bridges gets the sample bridges and generated ones (trusses of every panel count, depth and
// size, bridges at the table limits, unstable and faulty ones, far-off joints, CR LF line ends);
// OUT/replay gets scripts that draw, edit, analyse, save and open bridges with every command;
// OUT/assignments the sample assignment and a few more, good and bad.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/member_sizes.h"
#include "files/bridge_file.h"
#include "files/file_paths.h"
#include "resources/menu_resource.h"

namespace {

constexpr const char* kExamples[] = {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"};

class Truss {
  public:
    Truss() { initBridgeModel(model_); }

    // A joint at (x, y) ft, as the reader would place it; returns its index.
    int joint(double x, double y) {
        const int j = ++model_.jointCount;
        Joint& joint = model_.joints[j];
        joint.x = static_cast<float>(x);
        joint.y = static_cast<float>(y);
        joint.screenX = static_cast<int16_t>(columnFromFeet(x));
        joint.screenY = static_cast<int16_t>(rowFromFeet(y));
        return j;
    }
    void member(int a, int b, int size) {
        const int i = ++model_.memberCount;
        model_.members[i].startJoint = static_cast<int16_t>(a);
        model_.members[i].endJoint = static_cast<int16_t>(b);
        model_.members[i].size = static_cast<int8_t>(size);
    }
    BridgeModel& model() { return model_; }

    std::string text() {
        MemberSizeTable sizes;
        initMemberSizes(sizes);
        updateGeometry(model_, sizes);
        std::string out;
        writeBridgeFile(model_, out);
        return out;
    }

  private:
    BridgeModel model_;
};

// A through or deck truss of `panels` equal panels over the span, `depth` ft deep (negative: a deck
// truss below the roadbed), with verticals and diagonals that run down toward mid-span (Pratt) or
// alternate (Warren, no verticals).
std::string truss(int panels, double depth, int size, bool warren) {
    Truss t;
    const double width = 400.0 / panels;
    std::vector<int> deck;
    std::vector<int> chord;
    for (int p = 0; p <= panels; ++p) deck.push_back(t.joint(std::round(p * width), 0));
    const int first = warren ? 0 : 1;
    for (int p = first; p <= panels - first; ++p) {
        const double x = warren ? std::round((p + 0.5) * width) : std::round(p * width);
        if (warren && p == panels) break;
        chord.push_back(t.joint(x, depth));
    }
    for (int p = 0; p < panels; ++p) t.member(deck[p], deck[p + 1], size);
    for (size_t c = 0; c + 1 < chord.size(); ++c) t.member(chord[c], chord[c + 1], size);
    if (warren) {
        for (int p = 0; p < panels; ++p) {
            t.member(deck[p], chord[p], size);
            t.member(chord[p], deck[p + 1], size);
        }
    } else {
        t.member(deck[0], chord.front(), size);
        t.member(chord.back(), deck[panels], size);
        for (int p = 1; p < panels; ++p) {
            t.member(deck[p], chord[p - 1], size);
            if (p < panels / 2) t.member(chord[p - 1], deck[p + 1], size);
            if (p > panels / 2) t.member(chord[p - 1], deck[p - 1], size);
        }
    }
    return t.text();
}

// The most the tables take: 31 joints on the deck line and 31 above, 152 members.
std::string fullTables() {
    Truss t;
    std::vector<int> low;
    std::vector<int> high;
    for (int p = 0; p <= 30; ++p) low.push_back(t.joint(std::round(p * 400.0 / 30), 0));
    for (int p = 0; p <= 30; ++p) high.push_back(t.joint(std::round(p * 400.0 / 30), 30));
    for (int p = 0; p < 30; ++p) t.member(low[p], low[p + 1], 4 + p % 9);
    for (int p = 0; p < 30; ++p) t.member(high[p], high[p + 1], 3);
    for (int p = 0; p <= 30; ++p) t.member(low[p], high[p], 2);
    for (int p = 0; p < 30; ++p) t.member(low[p], high[p + 1], 1);
    for (int p = 0; p < 30 && t.model().memberCount < LAST_MEMBER_SLOT; ++p) t.member(high[p], low[p + 1], 1);
    return t.text();
}

// Square panels with no diagonals: a mechanism.
std::string mechanism() {
    Truss t;
    const int a = t.joint(0, 0), b = t.joint(100, 0), c = t.joint(200, 0), d = t.joint(300, 0),
              e = t.joint(400, 0);
    const int f = t.joint(100, 60), g = t.joint(200, 60), h = t.joint(300, 60);
    for (auto [p, q] :
         {std::pair{a, b}, {b, c}, {c, d}, {d, e}, {f, g}, {g, h}, {a, f}, {b, f}, {c, g}, {d, h}, {h, e}})
        t.member(p, q, 6);
    return t.text();
}

// Faults the check before an analysis stops at, and joints far off the board.
std::vector<std::string> oddities() {
    std::vector<std::string> out;
    const std::string head = "RADIV40 DATA FILE\n";
    out.push_back(head +
                  "2 3 1 29000.000000 1 1\n1 0 0 0 0 0\n2 400 0 0 0 0\n3 200 50 1 1 1\n"
                  "1 1 1 3 1.0 5 29000\n2 1 2 3 1.0 0 29000\n");
    out.push_back(head +
                  "3 3 1 29000.000000 1 1\n1 0 0 0 0 0\n2 400 0 0 0 0\n3 400 0 0 0 0\n"
                  "1 1 2 3 1.0 5 29000\n2 2 3 3 1.0 5 29000\n3 3 1 3 1.0 5 29000\n");
    out.push_back(head +
                  "3 3 1 1e-30 1 1\n1 -30000.5 32000 7 0 -1\n2 32000 -32000 0 0 0\n3 0.001 0 0 0 0\n"
                  "1 1 2 3 1.0 12 29000\n2 2 3 3 1.0 1 29000\n3 3 1 3 1.0 6 29000\n");
    out.push_back(head + "0 0 1 29000.000000 1 1\n");
    out.push_back(head +
                  "0 4 1 3.5e38 1 1\n1 12.99999 0 0 0 0\n2 -0.5 -0.5 0 0 0\n3 5 5 0 0 0\n4 6 6 0 0 0\n");
    return out;
}

std::string crlf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Replay scripts. The first draws a sample bridge member by member in file order with snap 10, as a
// student copies it from a drawing, saves it, analyses it and looks at the results.
std::string drawingScript(const std::string& bridgeText) {
    MemberSizeTable sizes;
    initMemberSizes(sizes);
    BridgeModel sample;
    initBridgeModel(sample);
    if (!readBridgeText(bridgeText, sample, sizes).ok()) return "";
    std::string script = "command 4505\n";
    int size = 5;
    for (int i = 1; i <= sample.memberCount; ++i) {
        const Member& m = sample.members[i];
        if (m.size != size) {
            size = m.size;
            script += "command " + std::to_string(CMD_DEFAULT_SIZE_1 + size - 1) + "\n";
        }
        const Joint& a = sample.joints[m.startJoint];
        const Joint& b = sample.joints[m.endJoint];
        const std::string from = std::to_string(a.screenX) + " " + std::to_string(a.screenY);
        const std::string to = std::to_string(b.screenX) + " " + std::to_string(b.screenY);
        script += "move " + from + "\npress " + from + "\ndrag " + to + "\nrelease " + to + "\n";
    }
    return script +
           "choose mine\ncommand 1004\ncommand 5002\npress 300 250\nrelease 300 250\ncommand 3700\n"
           "press 250 200\nrelease 250 200\ncommand 7001\nchoose drawing\ncommand 7004\nchoose scene\n";
}

std::vector<std::string> scripts(const std::string& pratt) {
    std::vector<std::string> out;
    out.push_back(drawingScript(pratt));
    // Every command once, with answers for whatever it asks.
    std::string every = "press 150 250\ndrag 250 250\nrelease 250 250\n";
    for (const MenuEntry& entry : loadMenu(MENU_RESOURCE_NAME)) {
        if (entry.kind != MenuEntryKind::Command || entry.id == CMD_FILE_EXIT) continue;
        every += "answer yes\nchoose any" + std::to_string(entry.id) + "\ncommand " +
                 std::to_string(entry.id) + "\n";
    }
    out.push_back(every + "command 8001\ncommand 8002\ncommand 9999\nanswer yes\ncommand 1007\n");
    // Opening files of every kind, then editing what was opened.
    out.push_back(
        "choose PRATT.BRG\ncommand 1002\ncommand 2002\npress 200 200\ndrag 210 190\nrelease 210 190\n"
        "command 2001\npress 250 250\nrelease 250 250\ncommand 3600\npress 175 225\nrelease 175 225\n"
        "answer no\nchoose letter.BRG\ncommand 1002\nanswer yes\nchoose missing\ncommand 1002\n"
        "command 3001\npress 325 250\nrelease 325 250\ncommand 3205\npress 225 250\nrelease 225 250\n"
        "answer yes\nchoose saved\ncommand 5003\nwait 20000\ncommand 5004\npress 1 1\nrelease 1 1\n");
    // Drags that leave the window, questions answered every way, and the close box.
    out.push_back(
        "command 4105\npress 150 250\ndrag -40 500\nrelease -40 500\npress 300 300\nrelease 400 250\n"
        "command 4304\ncommand 2003\npress 150 250\nrelease 150 250\npress 0 0\nrelease 0 0\n"
        "command 1001\nanswer no\ncommand 1001\nanswer yes\ncommand 5002\ncommand 5003\n"
        "answer cancel\ncommand 5002\nclose\nanswer yes\nclose\n");
    return out;
}

// Assignment files: every key with CR LF ends and a byte order mark, comments and tabs, titles
// in other scripts, and refused ones (a bad value, a key given twice, a byte that is not UTF-8).
std::vector<std::string> assignments() {
    return {
        "\xEF\xBB\xBFtitle = Spring \xE2\x80\x94 contest #2\r\ndead_load = yes\r\ndeck_weight = no\r\n"
        "extra_live_load = yes\r\nmin_member_force = no\r\nmax_joints = 60\r\nmax_members = 150\r\n"
        "max_weight = 150.5\r\ndue = 2028-02-29\r\n",
        "# rules\n\ttitle\t=\t\xE6\xA9\x8B \xF0\x9F\x8C\x89   # a bridge\n\nmax_joints = 16\n",
        "title = x\ndead_load = maybe\n", "max_joints = 4\n# again\nmax_joints = 5\n", "title = caf\xE9\n"};
}

bool write(const std::string& folder, const std::string& name, const std::string& text) {
    if (!writeFileAtomically((folder + "/" + name).c_str(), text)) {
        std::fprintf(stderr, "trussmill-fuzz-seeds: %s/%s cannot be written\n", folder.c_str(), name.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trussmill-fuzz-seeds OUT_FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string bridges = out + "/bridges";
    const std::string replay = out + "/replay";
    const std::string rules = out + "/assignments";
    ::mkdir(out.c_str(), 0755);
    ::mkdir(bridges.c_str(), 0755);
    ::mkdir(replay.c_str(), 0755);
    ::mkdir(rules.c_str(), 0755);

    bool ok = true;
    std::string pratt;
    for (const char* name : kExamples) {
        std::string text;
        if (!readWholeFile((std::string(TRUSSMILL_EXAMPLES_DIR) + "/" + name).c_str(), text, 1 << 20)) {
            std::fprintf(stderr, "trussmill-fuzz-seeds: the sample %s cannot be read\n", name);
            return 1;
        }
        if (pratt.empty()) pratt = text;
        ok = write(bridges, name, text) && ok;
    }
    ok = write(bridges, "pratt-crlf.BRG", crlf(pratt)) && ok;
    int n = 0;
    for (const int panels : {2, 4, 5, 8, 10, 16, 20}) {
        for (const double depth : {30.0, 50.0, -40.0, 100.0}) {
            const int size = 1 + (n % 12);
            const bool warren = n % 3 == 2;
            ok = write(bridges, "truss-" + std::to_string(n) + ".BRG", truss(panels, depth, size, warren)) &&
                 ok;
            ++n;
        }
    }
    ok = write(bridges, "full-tables.BRG", fullTables()) && ok;
    ok = write(bridges, "mechanism.BRG", mechanism()) && ok;
    n = 0;
    for (const std::string& text : oddities())
        ok = write(bridges, "odd-" + std::to_string(n++) + ".BRG", text) && ok;
    n = 0;
    for (const std::string& text : scripts(pratt))
        ok = write(replay, "script-" + std::to_string(n++) + ".txt", text) && ok;
    std::string contest;
    if (!readWholeFile(TRUSSMILL_EXAMPLES_DIR "/contest.trussmill-assignment", contest, 1 << 20)) {
        std::fprintf(stderr,
                     "trussmill-fuzz-seeds: the sample contest.trussmill-assignment cannot be read\n");
        return 1;
    }
    ok = write(rules, "contest.trussmill-assignment", contest) && ok;
    n = 0;
    for (const std::string& text : assignments())
        ok = write(rules, "rules-" + std::to_string(n++) + ".trussmill-assignment", text) && ok;
    return ok ? 0 : 1;
}
