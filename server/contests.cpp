// Submissions are judged here with the contest's assignment, never with what the page says; the
// transaction that stores one commits before the answer is written.
#include "server/contests.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "files/assignment_file.h"
#include "files/text_output.h"
#include "grading/bridge_run.h"
#include "grading/class_report.h"
#include "grading/grade.h"
#include "grading/json_writer.h"
#include "server/zip_writer.h"

namespace {

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string isoTime(int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm t{};
    gmtime_r(&seconds, &t);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &t);
    return text;
}

// The contest's rules; a stored assignment was read when the contest was made, so it reads again.
Assignment assignmentOf(const ContestRecord& contest) {
    return readAssignmentText(contest.assignment, contest.title).assignment;
}

GradeSettings settingsUnder(const Assignment& assignment) {
    GradeSettings settings;
    settings.assignment = &assignment;
    settings.options = optionsUnder(assignment, AnalysisOptions{});
    settings.format = GradeFormat::None;
    return settings;
}

std::string rulesLines(const std::vector<std::string>& limits) {
    std::string text;
    for (const std::string& limit : limits) text += (text.empty() ? "" : "\n") + limit;
    return text;
}

void appendStringArray(std::string& out, const std::vector<std::string>& items) {
    out += '[';
    for (size_t k = 0; k < items.size(); ++k) {
        if (k > 0) out += ',';
        jsonUtf8(out, items[k]);
    }
    out += ']';
}

// The team's key in the limits: contest and name as the database compares names.
std::string teamKey(const ContestRecord& contest, std::string_view name) {
    std::string key = contest.code + '/';
    for (char c : name) key += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return key;
}

const TeamStanding* findTeam(const std::vector<TeamStanding>& teams, int64_t id) {
    for (const TeamStanding& t : teams) {
        if (t.team.id == id) return &t;
    }
    return nullptr;
}

// The text a teacher sees as each team's: its best design, else its latest.
std::vector<std::pair<const TeamStanding*, int64_t>> designsToShow(const std::vector<TeamStanding>& teams) {
    std::vector<std::pair<const TeamStanding*, int64_t>> shown;
    for (const TeamStanding& t : teams) {
        const SubmissionRecord* s = t.best ? t.best : t.latest;
        if (s) shown.emplace_back(&t, s->id);
    }
    return shown;
}

}  // namespace

Reply errorReply(int status, std::string_view message) {
    Reply reply;
    reply.status = status;
    JsonObject o(reply.body);
    o.utf8("error", message);
    o.close();
    return reply;
}

std::vector<TeamStanding> standingsOf(const std::vector<TeamRecord>& teams,
                                      const std::vector<SubmissionRecord>& submissions) {
    std::vector<TeamStanding> all;
    std::unordered_map<int64_t, size_t> index;
    for (const TeamRecord& t : teams) {
        index[t.id] = all.size();
        all.push_back({t});
    }
    // Submissions come by time, so the first lightest is the earliest.
    for (const SubmissionRecord& s : submissions) {
        const auto it = index.find(s.team);
        if (it == index.end()) continue;
        TeamStanding& t = all[it->second];
        t.latest = &s;
        if (s.passed && (!t.best || s.weight < t.best->weight)) t.best = &s;
    }
    std::vector<TeamStanding*> ranked;
    for (TeamStanding& t : all) {
        if (t.team.approved && t.best) ranked.push_back(&t);
    }
    std::sort(ranked.begin(), ranked.end(), [](const TeamStanding* a, const TeamStanding* b) {
        if (a->best->weight != b->best->weight) return a->best->weight < b->best->weight;
        if (a->best->timeMs != b->best->timeMs) return a->best->timeMs < b->best->timeMs;
        return a->best->id < b->best->id;
    });
    for (size_t k = 0; k < ranked.size(); ++k) ranked[k]->rank = static_cast<int>(k) + 1;
    return all;
}

std::string shownName(const TeamRecord& team) {
    return team.approved ? team.name : "Team " + std::to_string(team.number);
}

void Contests::forgetDesigns(int64_t contest) {
    std::lock_guard lock(designsMutex_);
    designs_.erase(contest);
}

std::vector<std::string> Contests::similarTeams(int64_t contest, const StoredDesign& added,
                                                const std::vector<TeamStanding>& teams,
                                                const std::vector<SubmissionRecord>& submissions) {
    std::vector<int64_t> found;
    std::lock_guard lock(designsMutex_);
    ContestDesigns& kept = designs_[contest];
    if (!kept.loaded) {
        thread_local std::unique_ptr<BridgeRun> reader = BridgeRun::create(AnalysisOptions{});
        for (const SubmissionRecord& s : submissions) {
            if (s.id == added.submission || !reader->loadText(store_.bridgeText(s.id), "").ok()) continue;
            kept.all.push_back({s.id, s.team, designOf(reader->model)});
            kept.submissions.insert(s.id);
        }
        kept.loaded = true;
    }
    for (const StoredDesign& d : kept.all) {
        if (d.team == added.team || std::find(found.begin(), found.end(), d.team) != found.end()) continue;
        if (likenessOf(added.design, d.design)) found.push_back(d.team);
    }
    if (kept.submissions.insert(added.submission).second) kept.all.push_back(added);
    std::vector<std::string> names;
    for (const TeamStanding& t : teams) {
        if (std::find(found.begin(), found.end(), t.team.id) != found.end())
            names.push_back(shownName(t.team));
    }
    return names;
}

Reply Contests::submit(const ContestRecord& contest, const JsonFields& fields, const std::string& address) {
    const auto team = fields.find("team"), pin = fields.find("pin"), bridge = fields.find("bridge");
    if (team == fields.end() || pin == fields.end() || bridge == fields.end())
        return errorReply(400, "a submission needs team, pin and bridge");
    if (bridge->second.size() > MAX_BRIDGE_BYTES)
        return errorReply(413, "the bridge file is larger than 1 MB");
    if (contest.closed) return errorReply(409, "the contest is closed");
    const std::string name = cleanTeamName(team->second);
    if (name.empty()) return errorReply(400, "the team name must be 1 to 40 characters");
    if (!isPin(pin->second)) return errorReply(400, "the PIN must be 4 to 12 digits");
    const std::string key = teamKey(contest, name);
    if (failuresByTeam_.exceeded(key)) return errorReply(429, "too many wrong PINs; wait a minute");
    if (submissionsByTeam_.exceeded(key)) return errorReply(429, "too many submissions; wait a minute");

    // The PIN is checked before the analysis, so that guessing costs the server little. An address
    // with too many wrong PINs may still send PINs already verified in this run and start new teams,
    // so that one student's mistakes do not stop a class behind the same address; it may not try a
    // PIN against a team's stored hash.
    TeamRecord record;
    const auto identify = [&]() -> std::optional<Reply> {
        const std::optional<TeamRecord> known = store_.team(contest.id, name);
        if (known && !verifiedPins_.known(known->id, pin->second)) {
            if (failuresByAddress_.exceeded(address))
                return errorReply(429, "too many wrong PINs; wait a minute");
            if (!verifyHash(known->pinHash, pin->second)) {
                failuresByAddress_.record(address);
                failuresByTeam_.record(key);
                return errorReply(403, "wrong PIN for this team");
            }
            verifiedPins_.add(known->id, pin->second);
        }
        record = known ? *known : TeamRecord{0, 0, name, hashPin(pin->second), false};
        return std::nullopt;
    };
    if (std::optional<Reply> refusal = identify()) return *refusal;

    const Assignment assignment = assignmentOf(contest);
    // A run's tables are large: each server thread keeps one.
    thread_local std::unique_ptr<BridgeRun> run = BridgeRun::create(AnalysisOptions{});
    const GradedClass graded = gradeTexts({{name, bridge->second}}, settingsUnder(assignment), *run);
    const GradeRow& row = graded.rows[0];
    if (!row.readable) return errorReply(400, row.result);

    SubmissionRecord s;
    s.timeMs = nowMs();
    s.verdict = row.result;
    s.weight = row.weight;
    s.passed = row.standing == Standing::PassedWithinRules;
    s.rules = rulesLines(row.brokenLimits);
    int64_t id = store_.addSubmission(contest.id, record, s, bridge->second);
    // 0: another request added the same new team meanwhile; its PIN decides.
    if (id == 0) {
        if (std::optional<Reply> refusal = identify()) return *refusal;
        id = store_.addSubmission(contest.id, record, s, bridge->second);
    }
    if (id <= 0) return errorReply(500, "the submission could not be stored");
    verifiedPins_.add(record.id, pin->second);
    submissionsByTeam_.record(key);

    const std::vector<SubmissionRecord> all = store_.submissions(contest.id, false);
    const std::vector<TeamStanding> teams = standingsOf(store_.teams(contest.id), all);
    const TeamStanding* mine = findTeam(teams, record.id);
    Reply reply;
    JsonObject o(reply.body);
    o.utf8("verdict", row.result);
    o.number("weight", row.weight);
    appendStringArray(o.key("rules"), row.brokenLimits);
    o.key("rank") += mine && mine->rank > 0 ? std::to_string(mine->rank) : "null";
    o.boolean("best", true, mine && mine->best && mine->best->id == id);
    appendStringArray(o.key("similar_to"), similarTeams(contest.id, {id, record.id, row.design}, teams, all));
    o.close();
    return reply;
}

Reply Contests::standings(const ContestRecord& contest) {
    const std::vector<SubmissionRecord> all = store_.submissions(contest.id);
    std::vector<TeamStanding> teams = standingsOf(store_.teams(contest.id), all);
    std::stable_sort(teams.begin(), teams.end(), [](const TeamStanding& a, const TeamStanding& b) {
        return (a.rank == 0 ? INT32_MAX : a.rank) < (b.rank == 0 ? INT32_MAX : b.rank);
    });
    Reply reply;
    reply.body = "[";
    for (const TeamStanding& t : teams) {
        if (!t.team.approved) continue;
        if (reply.body.size() > 1) reply.body += ',';
        JsonObject o(reply.body);
        o.key("rank") += t.rank > 0 ? std::to_string(t.rank) : "null";
        o.utf8("team", t.team.name);
        o.number("weight", t.best != nullptr, t.best ? t.best->weight : 0.0);
        if (t.best) {
            o.utf8("submitted", isoTime(t.best->timeMs));
        } else {
            o.key("submitted") += "null";
        }
        o.close();
    }
    reply.body += ']';
    return reply;
}

Reply Contests::submissionList(const ContestRecord& contest) {
    const std::vector<SubmissionRecord> all = store_.submissions(contest.id);
    const std::vector<TeamStanding> teams = standingsOf(store_.teams(contest.id), all);
    Reply reply;
    reply.body = "[";
    for (const SubmissionRecord& s : all) {
        const TeamStanding* t = findTeam(teams, s.team);
        if (reply.body.size() > 1) reply.body += ',';
        JsonObject o(reply.body);
        o.integer("id", static_cast<long>(s.id));
        o.utf8("team", t ? t->team.name : "");
        o.integer("team_number", t ? t->team.number : 0);
        o.utf8("time", isoTime(s.timeMs));
        o.utf8("verdict", s.verdict);
        o.number("weight", s.weight);
        o.boolean("passed", true, s.passed);
        o.boolean("best", true, t && t->best == &s);
        o.close();
    }
    reply.body += ']';
    return reply;
}

Reply Contests::teamList(const ContestRecord& contest) {
    const std::vector<SubmissionRecord> all = store_.submissions(contest.id);
    const std::vector<TeamStanding> teams = standingsOf(store_.teams(contest.id), all);
    Reply reply;
    reply.body = "[";
    for (const TeamStanding& t : teams) {
        if (reply.body.size() > 1) reply.body += ',';
        JsonObject o(reply.body);
        o.integer("number", t.team.number);
        o.utf8("name", t.team.name);
        o.utf8("shown", shownName(t.team));
        o.boolean("approved", true, t.team.approved);
        o.key("rank") += t.rank > 0 ? std::to_string(t.rank) : "null";
        o.number("best_weight", t.best != nullptr, t.best ? t.best->weight : 0.0);
        o.close();
    }
    reply.body += ']';
    return reply;
}

Reply Contests::report(const ContestRecord& contest) {
    const std::vector<SubmissionRecord> all = store_.submissions(contest.id);
    const std::vector<TeamStanding> teams = standingsOf(store_.teams(contest.id), all);
    std::vector<BridgeText> texts;
    for (const auto& [team, id] : designsToShow(teams)) {
        // The page splits a label at '/' into folder and name; a team's name has no folder.
        std::string label;
        for (char c : team->team.name) label += c == '/' ? std::string("\xE2\x88\x95") : std::string(1, c);
        texts.push_back({label, store_.bridgeText(id)});
    }
    const Assignment assignment = assignmentOf(contest);
    GradeSettings settings = settingsUnder(assignment);
    settings.pictures = true;
    settings.ranked = true;
    Reply reply;
    reply.type = "text/html; charset=utf-8";
    reply.body = classReportHtml(gradeTexts(texts, settings), settings);
    return reply;
}

Reply Contests::files(const ContestRecord& contest) {
    const std::vector<SubmissionRecord> all = store_.submissions(contest.id);
    const std::vector<TeamStanding> teams = standingsOf(store_.teams(contest.id), all);
    std::vector<ZipEntry> entries;
    std::vector<std::string> taken;
    for (const auto& [team, id] : designsToShow(teams))
        entries.push_back({zipFileName(team->team.name, ".BRG", taken), store_.bridgeText(id)});
    Reply reply;
    reply.type = "application/zip";
    reply.body = zipArchive(entries);
    reply.disposition = "attachment; filename=\"" + contest.code + ".zip\"";
    return reply;
}
