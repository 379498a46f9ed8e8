// trussmill-cli: checks, analyses, exports and renders bridge files without a window.
// Exit status: 0 done, 1 a file could not be read or written, 2 the command line was wrong.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/forces.h"
#include "cli/print_pdf.h"
#include "cli/render.h"
#include "cli/replay.h"
#include "cli/reports.h"
#include "display/result_views.h"
#include "files/dxf_export.h"
#include "files/vrml_export.h"
#include "grading/bridge_run.h"
#include "grading/class_report.h"
#include "grading/grade.h"
#include "grading/lighten.h"

namespace {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsageError = 2;

// How many files make grading worth a progress line.
constexpr size_t kProgressThreshold = 20;

const char kUsage[] =
    "Usage:\n"
    "  trussmill-cli analyze [OPTIONS] [--json] FILE.BRG\n"
    "  trussmill-cli grade [OPTIONS] [--assignment FILE] [--csv | --json] [--html OUT.html]\n"
    "                      [--lighten] FILES_OR_FOLDERS...\n"
    "  trussmill-cli dxf FILE.BRG OUT.DXF\n"
    "  trussmill-cli vrml FILE.BRG OUT.WRL\n"
    "  trussmill-cli report [--results] [OPTIONS] FILE.BRG OUT.pdf\n"
    "  trussmill-cli render [--review [--colours]] [--deflected [--case K]] [OPTIONS] FILE.BRG\n"
    "                       OUT.png\n"
    "  trussmill-cli members [OPTIONS] FILE.BRG [--csv | --json]\n"
    "  trussmill-cli replay SCRIPT [--open FILE.BRG] [--args TEXT] [--state DIR] [--png OUT.png]\n"
    "                       [--log OUT.jsonl]\n"
    "  trussmill-cli forces [OPTIONS] FILE.BRG OUT.csv|OUT.svg|OUT.png [--member N]\n"
    "  trussmill-cli lighten [OPTIONS] FILE.BRG OUT.BRG\n"
    "  trussmill-cli --help\n"
    "  trussmill-cli --version\n"
    "\n"
    "Commands:\n"
    "  analyze  Loads the bridge, runs the check the program makes before an analysis and, when it\n"
    "           passes, the analysis, as Mode / Calculate does. Prints the verdict, the weight, the\n"
    "           deflection, the overall efficiency and one row per member. With --json, prints one\n"
    "           JSON object instead:\n"
    "             name, jointCount, memberCount, roadbedJointCount, totalWeight (kips),\n"
    "             check (null, or the message that stops Calculate: \"No Bridge!\" or the check's\n"
    "               first fault; then unstable, failed, maxDeflection and overallEfficiency are null),\n"
    "             unstable, failed, maxDeflection (inches), overallEfficiency (percent; null when\n"
    "               unstable),\n"
    "             joints: [{index, x, y (ft), kind (1 free, 2 left support, 3 roadbed, 4 right\n"
    "               support), selfWeightLoad, deckLoad, liveLoad (kips), caseDisplacements\n"
    "               ([dx, dy] in inches, x right and y up, one per truck position as caseForces;\n"
    "               0 in a support's fixed directions; empty as caseForces)}],\n"
    "             members: [{index, startJoint, endJoint, size, length (ft), angle (radians),\n"
    "               weight (lb), force (kips, tension positive), allowableTension,\n"
    "               allowableCompression (kips), forceRatio (percent; 1000 = failed),\n"
    "               caseForces (kips, one per truck position on the roadbed joints in joint order;\n"
    "               empty when the bridge was not analysed or is unstable)}],\n"
    "             and for an unstable bridge mechanism: {reason (members, joint, matrix or\n"
    "               deflection: the test that found it), joint (the joint no member braces, or\n"
    "               null), motion (one [dx, dy] per joint: a motion of the joints that stretches no\n"
    "               member, or for deflection the motion of the smallest stiffness; the joint that\n"
    "               moves most moves 1, supports 0 where they hold)}, or null when none is found.\n"
    "           Numbers carry 17 significant digits.\n"
    "  grade    One row per bridge: file, name, joints, members, weight, result (passed, failed,\n"
    "           unstable, or the check's message), maximum deflection, overall efficiency, and the\n"
    "           member with the highest efficiency ratio with its ratio. Folders are searched for\n"
    "           .BRG files (any case). Files that cannot be read get a row with the reason; the\n"
    "           others go on. --csv writes comma-separated values with a header line, --json one\n"
    "           JSON array of objects. Every row ends with similar_to: the other files whose\n"
    "           design is the same (\"same\": equal up to the numbering of joints and members,\n"
    "           swapped member ends and mirroring about the centre line, sizes included) or\n"
    "           nearly the same (\"near\": the same after moving at most two joints by up to\n"
    "           10 ft, or after adding, removing or resizing at most two members); CSV writes\n"
    "           them as same:FILE;near:FILE. --lighten adds lightestWeight, the weight lighten\n"
    "           finds for the bridge's geometry (empty when no sizes let it pass).\n"
    "           --assignment FILE grades under a contest's rules (see ASSIGNMENT below): its\n"
    "           options are used, and every row gets rules: \"ok\" or the limits the bridge\n"
    "           breaks, one sentence each (CSV and JSON: before similar_to; the table: ok or\n"
    "           broken, the sentences under the row). A flag for an option the assignment\n"
    "           turns off is a usage error. --html OUT.html writes one page for a browser or a\n"
    "           printer: the rules, every row with a drawing of the bridge (failed members\n"
    "           red) and links between copied designs, and the force chart of each failed\n"
    "           bridge's worst member; standard output then gets only --csv or --json. With\n"
    "           --assignment or --html the rows are ranked: passed within the rules, passed\n"
    "           breaking them, failed, unstable, stopped by the check (each lightest first,\n"
    "           then in file order), and unreadable files last; without them the rows keep\n"
    "           the order of the files.\n"
    "  dxf      Writes the DXF drawing the program's Make DXF command writes, to OUT.DXF.\n"
    "  vrml     Writes the VRML 1.0 scene the program's Make VRML command writes, to OUT.WRL.\n"
    "  report   Writes the printed data report (joints and members with their loads and allowable\n"
    "           forces), or with --results the results report of Calculate, as a PDF file on Letter\n"
    "           paper. A bridge that fails the check before an analysis gets no results report.\n"
    "  render   Writes the board as the program shows it, as PNG: in Build mode, or with --review\n"
    "           after Calculate (failed members red, member 1 highlighted, its results row in the\n"
    "           panel; an unstable bridge as one still of its mechanism's swing, with the reason).\n"
    "           --colours draws the members as Display / Forces in Colour does: tension\n"
    "           blue, compression orange, pale at a small efficiency ratio to full at 100 %,\n"
    "           failed members wide with a dark edge. --deflected draws the deflected shape of\n"
    "           one load case as Display / Deflected Shape does (the largest displacement 20\n"
    "           pixels long, the factor in the legend): the case that deflects most, or with\n"
    "           --case K the K-th truck position from the left.\n"
    "  members  The member table of Display / Member Table after Calculate: member, start and\n"
    "           end joint, size, length (ft), design force (kips, T or C), allowable tension and\n"
    "           compression (kips), efficiency (%), the truck's joint that governs, ok or FAIL.\n"
    "           Tab-separated with a heading line; --csv and --json write the fields index,\n"
    "           startJoint, endJoint, size, length, force (kips, tension positive),\n"
    "           allowableTension, allowableCompression, forceRatio (percent; 1000 = failed, as\n"
    "           analyze writes it), governingJoint (the roadbed joint whose load case gives the\n"
    "           force), status (\"ok\" or \"FAIL\"); the results are empty (null) when the check\n"
    "           stops Calculate, the forces and ratios too when the bridge is unstable.\n"
    "  replay   Runs the program itself without a window, from a script of user events, on a\n"
    "           clock that takes no real time. --args gives the program's command line, --open\n"
    "           a bridge file to open after start-up. One event per line ('#' starts a comment),\n"
    "           coordinates in client pixels:\n"
    "             press X Y, release X Y   left button down, up\n"
    "             move X Y, drag X Y       pointer move with the button up, held\n"
    "             command ID               a menu command, e.g. command 5002 (Calculate)\n"
    "             answer ok|yes|no|cancel  the next message box's answer (else its default)\n"
    "             choose PATH, cancel-file the next file dialog's answer (else cancelled)\n"
    "             print yes|no             the next print dialog's answer (else cancelled)\n"
    "             close                    the window's close box\n"
    "             wait MS                  the clock runs on\n"
    "             png PATH                 the window's client area as PNG, now\n"
    "             key NAME                 a key on the board: Left, Right, Up, Down, Enter, Escape or\n"
    "                                      Tab, with Shift+ or not; or a menu shortcut (Ctrl+Z, F1...)\n"
    "             table select|open N, table size N SIZE, table close\n"
    "                                      the member table's row N selected, opened, resized; closed\n"
    "           --png writes the client area at the end. --log writes JSON Lines, one object per\n"
    "           thing a user would notice, each with its tick \"t\": messageBox (caption, text,\n"
    "           buttons, answer), fileDialog (save, answer), sound (action sync|async|loop|stop,\n"
    "           file), clipboard (width, height), help (file), print (answer, pages), and last\n"
    "           exit (code) when the program ended, otherwise end (mode, savedFlag, name).\n"
    "           A bad script line is reported as SCRIPT:LINE: reason and nothing runs.\n"
    "           The program's configuration and state (recent files, the active assignment, the\n"
    "           copy of unsaved work) start empty and go with the run; with --state they live in\n"
    "           DIR, made when missing and kept, so that a later replay with the same DIR finds\n"
    "           them. A replay never reads or changes the user's own.\n"
    "  forces   The force in every member (or member N) for every position of the truck, as the\n"
    "           analysis computed it, with the member's allowable tension and compression (kips,\n"
    "           tension positive). OUT.csv: one row per member, one column per truck position\n"
    "           (roadbed joints left to right). OUT.svg or OUT.png: a chart with the truck's\n"
    "           position along the bottom and the force up, the allowables as dashed lines, the\n"
    "           controlling position ringed and failed members in red. A bridge that the check\n"
    "           stops or that is unstable has no forces: exit status 1 with the reason.\n"
    "  lighten  Keeps every joint and member and chooses sizes 1 to 12 with which the bridge\n"
    "           passes at the least weight the search finds: fully-stressed sizing, then members\n"
    "           lowered one size at a time, largest saving first, while the bridge still passes.\n"
    "           Writes the bridge to OUT.BRG and prints the weight before and after, the sizes\n"
    "           changed and the number of analyses. Exit status 1 when no sizes let it pass.\n"
    "\n"
    "OPTIONS (the Options menu; all off unless given):\n"
    "  --dead-load    include the truss's own weight\n"
    "  --deck-weight  include the deck weight\n"
    "  --live-load    include the additional live load\n"
    "  --min-force    design every member for a minimum force of 6 kips\n"
    "\n"
    "ASSIGNMENT (NAME.trussmill-assignment): UTF-8 lines of key = value; '#' at the start of a\n"
    "line or after a blank starts a comment. Each key at most once: title; dead_load,\n"
    "deck_weight, extra_live_load, min_member_force (yes or no: the option fixed on or off);\n"
    "max_joints, max_members, max_weight (kips); due (YYYY-MM-DD, shown, not enforced). An\n"
    "assignment that cannot be read is refused as FILE: line N: reason, exit status 1.\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written (the reason names the file), a\n"
    "report's bridge cannot be analysed, or the bridge has no forces or no passing sizes,\n"
    "2 a usage error.\n";

int usageError(const char* what) {
    std::fprintf(stderr, "trussmill-cli: %s\n\n%s", what, kUsage);
    return kUsageError;
}

int fileError(const char* path, const char* reason) {
    std::fprintf(stderr, "trussmill-cli: %s: %s\n", path, reason);
    return kFileError;
}

// An output that could not be written, with the system's reason.
int writeError(const char* path, int error) {
    const std::string reason = std::string("cannot be written: ") + std::strerror(error);
    return fileError(path, reason.c_str());
}

int finish(const CommandResult& result) {
    if (result.status == kUsageError) return usageError(result.error.c_str());
    if (!result.error.empty()) std::fprintf(stderr, "trussmill-cli: %s\n", result.error.c_str());
    return result.status;
}

struct CommandLine {
    AnalysisOptions options{};
    bool json = false;
    bool csv = false;
    bool review = false;
    bool results = false;
    bool lighten = false;
    bool colours = false;    // --colours
    bool deflected = false;  // --deflected
    int loadCase = 0;        // --case K, counted from the left; 0 = the one that deflects most
    int member = 0;          // --member N, 0 = every member
    std::string assignment;  // --assignment FILE
    std::string html;        // --html OUT.html
    std::vector<std::string> operands;
};

// The file name after the flag at argv[i], which then moves past it. A flag given twice or
// without a name is an error.
bool takeFileName(int argc, char** argv, int& i, std::string& value, std::string& error) {
    if (i + 1 >= argc || argv[i + 1][0] == '\0' || !value.empty()) {
        error = std::string(argv[i]) + (value.empty() ? " takes a file name" : " is given twice");
        return false;
    }
    value = argv[++i];
    return true;
}

// Takes the flags a command allows (a string of the letters j, c, r, s, o, l, m, a, h, v: --json,
// --csv, --review, --results, the analysis options, --lighten, --member N, --assignment FILE,
// --html OUT, and the views --colours, --deflected and --case K) in any position; everything
// else is an operand.
bool parse(int argc, char** argv, const char* allowed, CommandLine& line, std::string& error) {
    auto allows = [&](char c) { return std::strchr(allowed, c) != nullptr; };
    bool operandsOnly = false;
    for (int i = 2; i < argc; ++i) {
        const char* a = argv[i];
        if (operandsOnly || a[0] != '-' || a[1] == '\0') {
            line.operands.emplace_back(a);
        } else if (std::strcmp(a, "--") == 0) {
            operandsOnly = true;
        } else if (allows('o') && std::strcmp(a, "--dead-load") == 0) {
            line.options.includeDeadLoad = 1;
        } else if (allows('o') && std::strcmp(a, "--deck-weight") == 0) {
            line.options.includeDeckWeight = 1;
        } else if (allows('o') && std::strcmp(a, "--live-load") == 0) {
            line.options.includeExtraLiveLoad = 1;
        } else if (allows('o') && std::strcmp(a, "--min-force") == 0) {
            line.options.useMinMemberForce = 1;
        } else if (allows('j') && std::strcmp(a, "--json") == 0) {
            line.json = true;
        } else if (allows('c') && std::strcmp(a, "--csv") == 0) {
            line.csv = true;
        } else if (allows('r') && std::strcmp(a, "--review") == 0) {
            line.review = true;
        } else if (allows('s') && std::strcmp(a, "--results") == 0) {
            line.results = true;
        } else if (allows('l') && std::strcmp(a, "--lighten") == 0) {
            line.lighten = true;
        } else if (allows('v') && std::strcmp(a, "--colours") == 0) {
            line.colours = true;
        } else if (allows('v') && std::strcmp(a, "--deflected") == 0) {
            line.deflected = true;
        } else if (allows('v') && std::strcmp(a, "--case") == 0) {
            char* end = nullptr;
            const long k = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
            if (i + 1 >= argc || *end != '\0' || k < 1 || k > MAX_LOAD_CASES) {
                error = "--case takes a load case number";
                return false;
            }
            line.loadCase = static_cast<int>(k);
            ++i;
        } else if (allows('m') && std::strcmp(a, "--member") == 0) {
            char* end = nullptr;
            const long n = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
            if (i + 1 >= argc || *end != '\0' || n < 1 || n > LAST_MEMBER_SLOT) {
                error = "--member takes a member number";
                return false;
            }
            line.member = static_cast<int>(n);
            ++i;
        } else if (allows('a') && std::strcmp(a, "--assignment") == 0) {
            if (!takeFileName(argc, argv, i, line.assignment, error)) return false;
        } else if (allows('h') && std::strcmp(a, "--html") == 0) {
            if (!takeFileName(argc, argv, i, line.html, error)) return false;
        } else {
            error = std::string("unknown option ") + a + " for " + argv[1];
            return false;
        }
    }
    return true;
}

// Loads the file into a new run; prints the reason and returns null when it cannot be read.
std::unique_ptr<BridgeRun> loadRun(const std::string& path, const AnalysisOptions& options) {
    auto run = BridgeRun::create(options);
    const BridgeFileResult loaded = run->load(path.c_str());
    if (!loaded.ok()) {
        fileError(path.c_str(), loaded.reason);
        return nullptr;
    }
    return run;
}

int analyzeCommand(const CommandLine& line) {
    if (line.operands.size() != 1) return usageError("analyze takes one bridge file");
    auto run = loadRun(line.operands[0], line.options);
    if (!run) return kFileError;
    run->calculate();
    const std::string report = line.json ? jsonReport(*run) : textReport(*run);
    std::fputs(report.c_str(), stdout);
    return kOk;
}

int gradeCommand(const CommandLine& line) {
    if (line.operands.empty()) return usageError("grade takes at least one file or folder");
    if (line.csv && line.json) return usageError("grade writes --csv or --json, not both");
    GradeSettings settings;
    settings.options = line.options;
    Assignment assignment;
    if (!line.assignment.empty()) {
        const CommandResult read =
            readAssignmentFor(line.assignment, line.options, assignment, settings.options);
        // A flag against the assignment is one line: the usage says nothing about it.
        if (read.status != kOk) {
            std::fprintf(stderr, "trussmill-cli: %s\n", read.error.c_str());
            return read.status;
        }
        settings.assignment = &assignment;
    }
    const std::vector<std::string> files = collectBridgeFiles(line.operands);
    settings.format = line.csv            ? GradeFormat::Csv
                      : line.json         ? GradeFormat::Json
                      : line.html.empty() ? GradeFormat::Table
                                          : GradeFormat::None;
    settings.lighten = line.lighten;
    settings.ranked = settings.assignment != nullptr || !line.html.empty();
    settings.pictures = !line.html.empty();
    settings.progress = files.size() >= kProgressThreshold && ::isatty(STDERR_FILENO) != 0;
    const GradedClass graded = gradeClass(files, settings);
    printGrades(graded, settings, stdout);
    if (line.html.empty()) return kOk;
    return finish(writeClassReport(graded, settings, line.html));
}

int exportCommand(const CommandLine& line, bool dxf) {
    if (line.operands.size() != 2)
        return usageError(dxf ? "dxf takes a bridge file and an output file"
                              : "vrml takes a bridge file and an output file");
    auto run = loadRun(line.operands[0], line.options);
    if (!run) return kFileError;
    updateGeometry(run->model, run->sizes);
    const char* out = line.operands[1].c_str();
    const ExportResult written = dxf ? exportDxfTo(out, run->model) : exportVrmlTo(out, run->model);
    return written.ok ? kOk : writeError(out, written.error);
}

int dxfCommand(const CommandLine& line) {
    return exportCommand(line, true);
}
int vrmlCommand(const CommandLine& line) {
    return exportCommand(line, false);
}

int reportCommand(const CommandLine& line) {
    if (line.operands.size() != 2) return usageError("report takes a bridge file and an output file");
    auto run = loadRun(line.operands[0], line.options);
    if (!run) return kFileError;
    if (line.results) {
        run->calculate();
        if (run->check) return fileError(line.operands[0].c_str(), run->check);
    }
    std::string reason;
    if (!writeReportPdf(*run, line.results, localTimeNow(), line.operands[1].c_str(), reason)) {
        return fileError(line.operands[1].c_str(), reason.c_str());
    }
    return kOk;
}

int renderCommand(const CommandLine& line) {
    if (line.operands.size() != 2) return usageError("render takes a bridge file and an output file");
    auto run = loadRun(line.operands[0], line.options);
    if (!run) return kFileError;
    if (line.loadCase != 0 && !line.deflected) return usageError("--case goes with --deflected");
    BoardView view;
    view.review = line.review || line.deflected;
    view.forceColours = line.colours;
    view.deflectedShape = line.deflected;
    if (view.review) run->calculate();
    if (line.loadCase != 0) {
        const int cases = run->deflection.caseCount;
        if (line.loadCase > cases) {
            return usageError(("the bridge has " + std::to_string(cases) + " load cases, not " +
                               std::to_string(line.loadCase))
                                  .c_str());
        }
        view.loadCase = caseNumberedFromLeft(run->model, run->deflection, line.loadCase);
    }
    std::string reason;
    if (!renderBoard(*run, view, line.operands[1].c_str(), reason)) {
        return fileError(line.operands[1].c_str(), reason.c_str());
    }
    return kOk;
}

// replay SCRIPT [--open FILE] [--args TEXT] [--state DIR] [--png OUT] [--log OUT]: options with
// values.
int replayCommand(int argc, char** argv) {
    ReplayRequest request;
    struct {
        const char* name;
        std::string* value;
    } const valued[] = {{"--open", &request.openPath},
                        {"--args", &request.commandLine},
                        {"--state", &request.stateFolder},
                        {"--png", &request.pngPath},
                        {"--log", &request.logPath}};
    for (int i = 2; i < argc; ++i) {
        const char* a = argv[i];
        bool taken = false;
        for (const auto& option : valued) {
            if (std::strcmp(a, option.name) != 0) continue;
            if (i + 1 >= argc) return usageError((std::string(option.name) + " needs a value").c_str());
            *option.value = argv[++i];
            taken = true;
        }
        if (taken) continue;
        if (a[0] == '-' && a[1] != '\0')
            return usageError((std::string("unknown option ") + a + " for replay").c_str());
        if (!request.scriptPath.empty()) return usageError("replay takes one script");
        request.scriptPath = a;
    }
    if (request.scriptPath.empty()) return usageError("replay takes a script");
    return runReplay(request);
}

int membersCommand(const CommandLine& line) {
    if (line.operands.size() != 1) return usageError("members takes one bridge file");
    if (line.csv && line.json) return usageError("members writes --csv or --json, not both");
    auto run = loadRun(line.operands[0], line.options);
    if (!run) return kFileError;
    run->calculate();
    const MemberTableFormat format = line.csv    ? MemberTableFormat::Csv
                                     : line.json ? MemberTableFormat::Json
                                                 : MemberTableFormat::Text;
    std::fputs(memberTableReport(*run, format).c_str(), stdout);
    return kOk;
}

int forcesCommand(const CommandLine& line) {
    if (line.operands.size() != 2) return usageError("forces takes a bridge file and an output file");
    auto run = loadRun(line.operands[0], line.options);
    if (!run) return kFileError;
    return finish(writeMemberForces(*run, line.operands[0], line.operands[1], line.member));
}

int lightenCommand(const CommandLine& line) {
    if (line.operands.size() != 2) return usageError("lighten takes a bridge file and an output file");
    auto run = loadRun(line.operands[0], line.options);
    if (!run) return kFileError;
    return finish(lightenToFile(*run, line.operands[0], line.operands[1], stdout));
}

// Standard output, written through a stream of the tool's own so that the reason a write failed is
// kept: stdio itself keeps only that one did.
struct OutputSink {
    int error = 0;  // the errno of the first failed write or close; 0 while none failed
};

ssize_t writeToStandardOutput(void* cookie, const char* data, size_t size) {
    auto* sink = static_cast<OutputSink*>(cookie);
    size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(STDOUT_FILENO, data + done, size - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (sink->error == 0) sink->error = written < 0 ? errno : ENOSPC;
            return done > 0 ? ssize_t(done) : -1;
        }
        done += size_t(written);
    }
    return ssize_t(done);
}

int closeStandardOutput(void* cookie) {
    auto* sink = static_cast<OutputSink*>(cookie);
    if (::close(STDOUT_FILENO) == 0 || errno == EBADF)
        return 0;  // a file system may report a lost write only now
    if (sink->error == 0) sink->error = errno;
    return -1;
}

// Standard output as the command left it: written out whole, or the run fails. A reader that went
// away (a pipe that `head` closed) ends the run quietly, as Unix tools end; any other failure is
// told in one line. Either way the status says that output was lost.
int withOutputDelivered(int status, const OutputSink& sink) {
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (std::fclose(stdout) != 0 || failed || sink.error != 0) {
        if (sink.error != EPIPE) {
            std::fprintf(stderr, "trussmill-cli: cannot write the output: %s\n",
                         std::strerror(sink.error != 0 ? sink.error : EIO));
        }
        return status == kOk ? kFileError : status;
    }
    return status;
}

int runCommand(int argc, char** argv) {
    if (argc < 2) return usageError("no command given");
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 ||
        std::strcmp(command, "help") == 0) {
        std::fputs(kUsage, stdout);
        return kOk;
    }
    if (std::strcmp(command, "--version") == 0 && argc == 2) {
        std::printf("trussmill-cli %s\n", TRUSSMILL_VERSION);
        return kOk;
    }
    if (std::strcmp(command, "replay") == 0) return replayCommand(argc, argv);
    struct {
        const char* name;
        const char* flags;
        int (*run)(const CommandLine&);
    } const commands[] = {
        // One command per line, kept by hand.
        // clang-format off
        {"analyze", "oj", analyzeCommand},
        {"grade", "ocjlah", gradeCommand},
        {"dxf", "", dxfCommand},
        {"vrml", "", vrmlCommand},
        {"render", "orv", renderCommand},
        {"members", "ocj", membersCommand},
        {"report", "os", reportCommand},
        {"forces", "om", forcesCommand},
        {"lighten", "o", lightenCommand},
        // clang-format on
    };
    for (const auto& c : commands) {
        if (std::strcmp(command, c.name) != 0) continue;
        CommandLine line;
        std::string error;
        if (!parse(argc, argv, c.flags, line, error)) return usageError(error.c_str());
        return c.run(line);
    }
    return usageError((std::string("unknown command ") + command).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    OutputSink sink;
    const cookie_io_functions_t functions{nullptr, writeToStandardOutput, nullptr, closeStandardOutput};
    if (FILE* out = ::fopencookie(&sink, "w", functions)) {
        // Line by line to a terminal, in blocks elsewhere, as stdio would.
        std::setvbuf(out, nullptr, ::isatty(STDOUT_FILENO) ? _IOLBF : _IOFBF, BUFSIZ);
        stdout = out;
    }
    return withOutputDelivered(runCommand(argc, argv), sink);
}
