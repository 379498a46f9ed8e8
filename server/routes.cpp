// The route table and the checks every teacher route shares: a session from the cookie, the CSRF
// token on every change, and the contest belonging to the session's teacher. No route builds a
// file path from the URL; static files come from the map made at start-up.
#include "server/routes.h"

#include <httplib.h>

#include <chrono>
#include <filesystem>

#include "files/assignment_file.h"
#include "files/file_paths.h"
#include "grading/json_writer.h"
#include "server/pages.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxBodyBytes = 2u << 20;  // a 1 MB bridge file, escaped as JSON
constexpr int64_t kSessionHours = 12;

enum class Access {
    Anyone,
    Teacher,        // a session
    TeacherChange,  // a session and its CSRF token in X-CSRF-Token
};

struct Call {
    ServerState& state;
    const httplib::Request& request;
    std::optional<SessionRecord> session;
    std::optional<ContestRecord> contest;  // routes whose first capture is a class code
    std::string sessionHash;
    httplib::Response* response;
};

using Handler = Reply (*)(Call&);

struct Route {
    const char* method;
    const char* pattern;  // matched against the whole decoded path
    Access access;
    bool contest;  // the first capture is a class code; teacher routes need it to be theirs
    Handler handler;
};

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

Reply okReply() {
    Reply reply;
    reply.body = "{}";
    return reply;
}

Reply htmlReply(std::string body) {
    Reply reply;
    reply.body = std::move(body);
    reply.type = "text/html; charset=utf-8";
    return reply;
}

bool bodyFields(const Call& c, JsonFields& fields, Reply& refusal) {
    std::string reason;
    if (readJsonFields(c.request.body, fields, reason)) return true;
    refusal = errorReply(400, reason);
    return false;
}

std::string cookieSession(const httplib::Request& request) {
    const std::string cookies = request.get_header_value("Cookie");
    for (size_t at = 0; at < cookies.size();) {
        size_t end = cookies.find(';', at);
        if (end == std::string::npos) end = cookies.size();
        std::string_view item(cookies.data() + at, end - at);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        if (item.substr(0, 8) == "session=") return std::string(item.substr(8));
        at = end + 1;
    }
    return {};
}

std::string sessionCookie(const Call& c, const std::string& value, bool expire) {
    std::string cookie = "session=" + value + "; Path=/; HttpOnly; SameSite=Strict";
    cookie += expire ? "; Max-Age=0" : "; Max-Age=" + std::to_string(kSessionHours * 3600);
    if (c.state.tls) cookie += "; Secure";
    return cookie;
}

// --- Teachers ---

Reply login(Call& c) {
    JsonFields f;
    Reply refusal;
    if (!bodyFields(c, f, refusal)) return refusal;
    const auto name = f.find("name"), password = f.find("password");
    if (name == f.end() || password == f.end()) return errorReply(400, "a login needs name and password");
    const std::string& address = c.request.remote_addr;
    const std::string nameKey = "login/" + name->second.substr(0, 200);
    if (c.state.loginFailuresByAddress.exceeded(address) || c.state.loginFailuresByName.exceeded(nameKey))
        return errorReply(429, "too many failed logins; wait a minute");
    const std::optional<TeacherRecord> teacher = c.state.store.teacher(name->second);
    // An unknown name costs as much as a wrong password, so that names cannot be told apart.
    static const std::string decoy = hashPassword("not a password");
    if (!verifyHash(teacher ? teacher->passwordHash : decoy, password->second) || !teacher) {
        c.state.loginFailuresByAddress.record(address);
        c.state.loginFailuresByName.record(nameKey);
        return errorReply(401, "wrong name or password");
    }
    const std::string id = randomToken(), csrf = randomToken();
    if (!c.state.store.addSession(tokenHash(id), teacher->id, csrf, nowMs(),
                                  nowMs() - kSessionHours * 3600 * 1000))
        return errorReply(500, "the session could not be stored");
    c.response->set_header("Set-Cookie", sessionCookie(c, id, false));
    Reply reply;
    JsonObject o(reply.body);
    o.utf8("csrf", csrf);
    o.close();
    return reply;
}

Reply logout(Call& c) {
    c.state.store.removeSession(c.sessionHash);
    c.response->set_header("Set-Cookie", sessionCookie(c, "", true));
    return okReply();
}

Reply sessionInfo(Call& c) {
    Reply reply;
    JsonObject o(reply.body);
    o.utf8("name", c.session->teacherName);
    o.utf8("csrf", c.session->csrf);
    o.close();
    return reply;
}

// --- Contests ---

void appendContest(std::string& out, const ContestRecord& contest) {
    JsonObject o(out);
    o.utf8("code", contest.code);
    o.utf8("title", contest.title);
    o.boolean("closed", true, contest.closed);
    o.close();
}

Reply createContest(Call& c) {
    JsonFields f;
    Reply refusal;
    if (!bodyFields(c, f, refusal)) return refusal;
    const auto text = f.find("assignment");
    if (text == f.end()) return errorReply(400, "a contest needs the assignment file's text");
    if (text->second.size() > ASSIGNMENT_MAX_BYTES)
        return errorReply(413, "the assignment file is too large");
    const AssignmentRead read = readAssignmentText(text->second, "Bridge contest");
    if (!read.ok) return errorReply(400, read.reason);
    ContestRecord contest;
    contest.teacher = c.session->teacher;
    contest.title = read.assignment.title;
    contest.assignment = text->second;
    // 31^8 codes: a clash is rare, and is simply drawn again.
    for (int attempt = 0; attempt < 5 && contest.code.empty(); ++attempt) {
        contest.code = randomClassCode();
        if (!c.state.store.addContest(contest)) contest.code.clear();
    }
    if (contest.code.empty()) return errorReply(500, "the contest could not be stored");
    Reply reply;
    JsonObject o(reply.body);
    o.utf8("code", contest.code);
    o.utf8("link", "/c/" + contest.code);
    o.close();
    return reply;
}

Reply listContests(Call& c) {
    Reply reply;
    reply.body = "[";
    for (const ContestRecord& contest : c.state.store.contestsOf(c.session->teacher)) {
        if (reply.body.size() > 1) reply.body += ',';
        appendContest(reply.body, contest);
    }
    reply.body += ']';
    return reply;
}

Reply contestInfo(Call& c) {
    Reply reply;
    appendContest(reply.body, *c.contest);
    return reply;
}

Reply closeContest(Call& c) {
    c.state.store.closeContest(c.contest->id);
    return okReply();
}

Reply submit(Call& c) {
    JsonFields f;
    Reply refusal;
    if (!bodyFields(c, f, refusal)) return refusal;
    return c.state.contests.submit(*c.contest, f, c.request.remote_addr);
}

Reply standings(Call& c) {
    return c.state.contests.standings(*c.contest);
}

Reply submissions(Call& c) {
    return c.state.contests.submissionList(*c.contest);
}

Reply teams(Call& c) {
    return c.state.contests.teamList(*c.contest);
}

std::optional<TeamRecord> teamOfCall(Call& c) {
    const std::string& number = c.request.matches[2];
    if (number.empty() || number.size() > 6) return std::nullopt;
    return c.state.store.teamByNumber(c.contest->id, std::stoi(number));
}

Reply approveTeam(Call& c) {
    const std::optional<TeamRecord> team = teamOfCall(c);
    if (!team) return errorReply(404, "no such team");
    c.state.store.approveTeam(team->id);
    return okReply();
}

Reply removeTeam(Call& c) {
    const std::optional<TeamRecord> team = teamOfCall(c);
    if (!team) return errorReply(404, "no such team");
    c.state.store.removeTeam(team->id);
    c.state.contests.forgetDesigns(c.contest->id);
    return okReply();
}

Reply removeSubmission(Call& c) {
    const std::string& id = c.request.matches[2];
    if (id.size() > 18 || !c.state.store.removeSubmission(c.contest->id, std::stoll(id)))
        return errorReply(404, "no such submission");
    c.state.contests.forgetDesigns(c.contest->id);
    return okReply();
}

Reply report(Call& c) {
    return c.state.contests.report(*c.contest);
}

Reply files(Call& c) {
    return c.state.contests.files(*c.contest);
}

// --- Pages ---

Reply teacherPage(Call&) {
    return htmlReply(teacherPageHtml());
}

Reply standingsPage(Call& c) {
    return htmlReply(standingsPageHtml(*c.contest));
}

// What the browser program asks to know that a contest server served it, and may submit here.
Reply serverInfo(Call&) {
    Reply reply;
    JsonObject o(reply.body);
    o.utf8("server", "trussmill-server");
    o.utf8("version", TRUSSMILL_VERSION);
    o.close();
    return reply;
}

Reply programForContest(Call& c) {
    c.response->set_redirect("/?contest=" + c.contest->code + "#contest=" + c.contest->code);
    Reply reply;
    reply.status = 302;
    return reply;
}

// The table of routes. Captures: a class code, then a team's number or a submission's id.
const Route kRoutes[] = {
    {"GET", "/api/", Access::Anyone, false, serverInfo},
    {"POST", "/api/login", Access::Anyone, false, login},
    {"POST", "/api/logout", Access::TeacherChange, false, logout},
    {"GET", "/api/session", Access::Teacher, false, sessionInfo},
    {"GET", "/api/contests", Access::Teacher, false, listContests},
    {"POST", "/api/contests", Access::TeacherChange, false, createContest},
    {"GET", "/api/contests/([^/]+)", Access::Anyone, true, contestInfo},
    {"POST", "/api/contests/([^/]+)/close", Access::TeacherChange, true, closeContest},
    {"GET", "/api/contests/([^/]+)/standings", Access::Anyone, true, standings},
    {"POST", "/api/contests/([^/]+)/submissions", Access::Anyone, true, submit},
    {"GET", "/api/contests/([^/]+)/submissions", Access::Teacher, true, submissions},
    {"DELETE", "/api/contests/([^/]+)/submissions/([0-9]+)", Access::TeacherChange, true, removeSubmission},
    {"GET", "/api/contests/([^/]+)/teams", Access::Teacher, true, teams},
    {"POST", "/api/contests/([^/]+)/teams/([0-9]+)/approve", Access::TeacherChange, true, approveTeam},
    {"DELETE", "/api/contests/([^/]+)/teams/([0-9]+)", Access::TeacherChange, true, removeTeam},
    {"GET", "/teacher", Access::Anyone, false, teacherPage},
    {"GET", "/teacher/contests/([^/]+)/report", Access::Teacher, true, report},
    {"GET", "/teacher/contests/([^/]+)/files.zip", Access::Teacher, true, files},
    {"GET", "/c/([^/]+)", Access::Anyone, true, standingsPage},
    {"GET", "/c/([^/]+)/app", Access::Anyone, true, programForContest},
};

Reply dispatch(const Route& route, Call& c) {
    if (route.access != Access::Anyone) {
        const std::string id = cookieSession(c.request);
        if (id.size() == 64) {
            c.sessionHash = tokenHash(id);
            c.session = c.state.store.session(c.sessionHash, nowMs() - kSessionHours * 3600 * 1000);
        }
        if (!c.session) return errorReply(401, "log in first");
        if (route.access == Access::TeacherChange &&
            !sameToken(c.request.get_header_value("X-CSRF-Token"), c.session->csrf))
            return errorReply(403, "the request lacks this session's CSRF token");
    }
    if (route.contest) {
        const std::string& code = c.request.matches[1];
        if (isClassCode(code)) c.contest = c.state.store.contest(code);
        if (!c.contest) return errorReply(404, "no contest has that code");
        if (route.access != Access::Anyone && c.contest->teacher != c.session->teacher)
            return errorReply(403, "this contest belongs to another teacher");
    }
    return route.handler(c);
}

void send(httplib::Response& response, const Reply& reply, bool page) {
    response.status = reply.status;
    if (!reply.disposition.empty()) response.set_header("Content-Disposition", reply.disposition);
    response.set_header("Cache-Control", "no-store");
    if (page) {
        response.set_header("Content-Security-Policy",
                            "default-src 'self'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                            "img-src 'self' data:; frame-ancestors 'none'");
    }
    if (!reply.body.empty() || reply.status != 302) response.set_content(reply.body, reply.type);
}

const char* typeOf(const fs::path& path) {
    static const std::pair<const char*, const char*> types[] = {
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".wasm", "application/wasm"},
        {".json", "application/json"},
        {".webmanifest", "application/manifest+json"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
        {".ico", "image/x-icon"},
        {".txt", "text/plain; charset=utf-8"},
        {".BRG", "application/octet-stream"},
    };
    const std::string ext = path.extension().string();
    for (const auto& [e, type] : types) {
        if (ext == e) return type;
    }
    return "application/octet-stream";
}

}  // namespace

bool loadSite(const std::string& dir, SiteFiles& files, std::string& reason) {
    std::error_code error;
    const fs::path root = fs::path(dir);
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        std::string body;
        if (!readWholeFile(it->path().c_str(), body, 256u << 20)) {
            reason = it->path().string() + ": cannot be read";
            return false;
        }
        const std::string url = "/" + it->path().lexically_relative(root).generic_string();
        files[url] = {std::move(body), typeOf(it->path())};
    }
    if (error) {
        reason = dir + ": " + error.message();
        return false;
    }
    const auto index = files.find("/index.html");
    if (index == files.end()) {
        reason = dir + ": no index.html (build the site with scripts/web --no-serve, or give --site)";
        return false;
    }
    files["/"] = index->second;
    return true;
}

void installRoutes(httplib::Server& server, ServerState& state) {
    // The head of a request, the timeouts and keep-alive are the connection's (server/connection.h).
    server.set_payload_max_length(kMaxBodyBytes);
    // Threads beyond the cores: a few slow clients must not hold up the class.
    server.new_task_queue = [] { return new httplib::ThreadPool(32); };
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"},
                                {"Referrer-Policy", "same-origin"},
                                {"X-Frame-Options", "DENY"}});

    for (const Route& route : kRoutes) {
        const bool page = route.pattern[1] != 'a';  // not under /api/
        auto handler = [&state, &route, page](const httplib::Request& request, httplib::Response& response) {
            Call c{state, request, std::nullopt, std::nullopt, {}, &response};
            send(response, dispatch(route, c), page);
        };
        const std::string method = route.method;
        if (method == "GET") {
            server.Get(route.pattern, handler);
        } else if (method == "POST") {
            server.Post(route.pattern, handler);
        } else {
            server.Delete(route.pattern, handler);
        }
    }
    // Static files by exact path; anything else under /api/ is an API error.
    server.Get(".*", [&state](const httplib::Request& request, httplib::Response& response) {
        const auto file = state.site.find(request.path);
        if (file == state.site.end()) {
            send(response, errorReply(404, "not found"), false);
            return;
        }
        response.set_content(file->second.body, file->second.type);
    });
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return;
        const char* message = response.status == 413   ? "the request is too large"
                              : response.status == 404 ? "not found"
                              : response.status == 405 ? "method not allowed"
                                                       : "bad request";
        const int status = response.status;
        send(response, errorReply(status, message), false);
    });
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            send(response, errorReply(500, "internal error"), false);
        });
}
