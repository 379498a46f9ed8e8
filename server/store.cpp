// The schema, its upgrades and the prepared statements. Statements are kept for the life of the
// connection and reset after each use; a Query holds the store's lock while it runs.
#include "server/store.h"

#include <sqlite3.h>

namespace {

// Each step of the schema, applied in order to a database whose user_version is its index.
const char* const kUpgrades[] = {
    R"(CREATE TABLE teacher(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, password_hash TEXT NOT NULL);
       CREATE TABLE session(id_hash TEXT PRIMARY KEY, teacher INTEGER NOT NULL REFERENCES teacher ON DELETE CASCADE,
                            csrf TEXT NOT NULL, created_ms INTEGER NOT NULL);
       CREATE TABLE contest(id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE,
                            teacher INTEGER NOT NULL REFERENCES teacher ON DELETE CASCADE,
                            title TEXT NOT NULL, assignment TEXT NOT NULL, closed INTEGER NOT NULL DEFAULT 0);
       -- Team and submission ids are never reused: the server keeps verified PINs and designs by id.
       CREATE TABLE team(id INTEGER PRIMARY KEY AUTOINCREMENT, contest INTEGER NOT NULL REFERENCES contest ON DELETE CASCADE,
                         number INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE, pin_hash TEXT NOT NULL,
                         approved INTEGER NOT NULL DEFAULT 0, UNIQUE(contest, name), UNIQUE(contest, number));
       CREATE TABLE submission(id INTEGER PRIMARY KEY AUTOINCREMENT, team INTEGER NOT NULL REFERENCES team ON DELETE CASCADE,
                               time_ms INTEGER NOT NULL, verdict TEXT NOT NULL, weight REAL NOT NULL,
                               passed INTEGER NOT NULL, rules TEXT NOT NULL);
       CREATE INDEX submission_team ON submission(team);
       -- The files apart, so that the standings read only the small rows.
       CREATE TABLE bridge_file(submission INTEGER PRIMARY KEY REFERENCES submission ON DELETE CASCADE,
                                text TEXT NOT NULL);)",
};
constexpr int kSchemaSteps = sizeof kUpgrades / sizeof kUpgrades[0];
static_assert(kSchemaSteps == STORE_SCHEMA_VERSION);

// One use of a prepared statement: binds from 1 up, steps, and resets when it goes.
class Query {
  public:
    explicit Query(sqlite3_stmt* s) : s_(s) {}
    ~Query() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    Query& bind(int64_t v) {
        sqlite3_bind_int64(s_, ++n_, v);
        return *this;
    }
    Query& bind(double v) {
        sqlite3_bind_double(s_, ++n_, v);
        return *this;
    }
    Query& bind(std::string_view v) {
        sqlite3_bind_text(s_, ++n_, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool row() { return (rc_ = sqlite3_step(s_)) == SQLITE_ROW; }
    bool done() { return (rc_ = sqlite3_step(s_)) == SQLITE_DONE; }
    int rc() const { return rc_; }
    int64_t integer(int col) { return sqlite3_column_int64(s_, col); }
    double real(int col) { return sqlite3_column_double(s_, col); }
    std::string text(int col) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(s_, col))) : std::string();
    }

  private:
    sqlite3_stmt* s_;
    int n_ = 0;
    int rc_ = SQLITE_OK;
};

bool exec(sqlite3* db, const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

ContestRecord contestOf(Query& q) {
    return {q.integer(0), q.text(1), q.integer(2), q.text(3), q.text(4), q.integer(5) != 0};
}

TeamRecord teamOf(Query& q) {
    return {q.integer(0), static_cast<int>(q.integer(1)), q.text(2), q.text(3), q.integer(4) != 0};
}

const char kContestColumns[] = "SELECT id, code, teacher, title, assignment, closed FROM contest ";
const char kTeamColumns[] = "SELECT id, number, name, pin_hash, approved FROM team ";

}  // namespace

std::unique_ptr<Store> Store::open(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<Store> store(new Store(db));
    sqlite3_busy_timeout(db, 5000);  // a backup or a second process holding the lock for a moment
    if (!exec(db,
              "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON; "
              "PRAGMA cache_size=-65536;",
              error) ||
        !store->upgrade(error))
        return nullptr;
    return store;
}

Store::~Store() {
    for (auto& [sql, s] : statements_) sqlite3_finalize(s);
    sqlite3_close(db_);
}

bool Store::upgrade(std::string& error) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &s, nullptr);
    int version = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : 0;
    sqlite3_finalize(s);
    if (version > STORE_SCHEMA_VERSION) {
        error = "the database was written by a newer version (schema " + std::to_string(version) + ")";
        return false;
    }
    for (; version < STORE_SCHEMA_VERSION; ++version) {
        const std::string step = std::string("BEGIN IMMEDIATE;") + kUpgrades[version] +
                                 ";PRAGMA user_version=" + std::to_string(version + 1) + ";COMMIT;";
        if (!exec(db_, step.c_str(), error)) {
            exec(db_, "ROLLBACK", error);
            return false;
        }
    }
    return true;
}

sqlite3_stmt* Store::prepare(const char* sql) {
    for (auto& [text, s] : statements_) {
        if (text == sql) return s;
    }
    sqlite3_stmt* s = nullptr;
    // Every statement is a literal of this file; one that does not compile is a programmer error.
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "trussmill-server: %s: %s\n", sql, sqlite3_errmsg(db_));
        std::abort();
    }
    statements_.emplace_back(sql, s);
    return s;
}

bool Store::setTeacher(std::string_view name, std::string_view passwordHash) {
    std::lock_guard lock(mutex_);
    return Query(prepare("INSERT INTO teacher(name, password_hash) VALUES(?, ?) "
                         "ON CONFLICT(name) DO UPDATE SET password_hash = excluded.password_hash"))
        .bind(name)
        .bind(passwordHash)
        .done();
}

std::optional<TeacherRecord> Store::teacher(std::string_view name) {
    std::lock_guard lock(mutex_);
    Query q(prepare("SELECT id, name, password_hash FROM teacher WHERE name = ?"));
    if (!q.bind(name).row()) return std::nullopt;
    return TeacherRecord{q.integer(0), q.text(1), q.text(2)};
}

bool Store::addSession(std::string_view idHash, int64_t teacher, std::string_view csrf, int64_t nowMs,
                       int64_t expiredBeforeMs) {
    std::lock_guard lock(mutex_);
    Query(prepare("DELETE FROM session WHERE created_ms < ?")).bind(expiredBeforeMs).done();
    return Query(prepare("INSERT INTO session(id_hash, teacher, csrf, created_ms) VALUES(?, ?, ?, ?)"))
        .bind(idHash)
        .bind(teacher)
        .bind(csrf)
        .bind(nowMs)
        .done();
}

std::optional<SessionRecord> Store::session(std::string_view idHash, int64_t notBeforeMs) {
    std::lock_guard lock(mutex_);
    Query q(
        prepare("SELECT s.teacher, t.name, s.csrf FROM session s JOIN teacher t ON t.id = s.teacher "
                "WHERE s.id_hash = ? AND s.created_ms >= ?"));
    if (!q.bind(idHash).bind(notBeforeMs).row()) return std::nullopt;
    return SessionRecord{q.integer(0), q.text(1), q.text(2)};
}

void Store::removeSession(std::string_view idHash) {
    std::lock_guard lock(mutex_);
    Query(prepare("DELETE FROM session WHERE id_hash = ?")).bind(idHash).done();
}

bool Store::addContest(const ContestRecord& c) {
    std::lock_guard lock(mutex_);
    return Query(prepare("INSERT INTO contest(code, teacher, title, assignment) VALUES(?, ?, ?, ?)"))
        .bind(c.code)
        .bind(c.teacher)
        .bind(c.title)
        .bind(c.assignment)
        .done();
}

std::optional<ContestRecord> Store::contest(std::string_view code) {
    static const std::string sql = std::string(kContestColumns) + "WHERE code = ?";
    std::lock_guard lock(mutex_);
    Query q(prepare(sql.c_str()));
    if (!q.bind(code).row()) return std::nullopt;
    return contestOf(q);
}

std::vector<ContestRecord> Store::contestsOf(int64_t teacher) {
    static const std::string sql = std::string(kContestColumns) + "WHERE teacher = ? ORDER BY id DESC";
    std::lock_guard lock(mutex_);
    Query q(prepare(sql.c_str()));
    q.bind(teacher);
    std::vector<ContestRecord> all;
    while (q.row()) all.push_back(contestOf(q));
    return all;
}

void Store::closeContest(int64_t contest) {
    std::lock_guard lock(mutex_);
    Query(prepare("UPDATE contest SET closed = 1 WHERE id = ?")).bind(contest).done();
}

std::optional<TeamRecord> Store::team(int64_t contest, std::string_view name) {
    static const std::string sql = std::string(kTeamColumns) + "WHERE contest = ? AND name = ?";
    std::lock_guard lock(mutex_);
    Query q(prepare(sql.c_str()));
    if (!q.bind(contest).bind(name).row()) return std::nullopt;
    return teamOf(q);
}

std::optional<TeamRecord> Store::teamByNumber(int64_t contest, int number) {
    static const std::string sql = std::string(kTeamColumns) + "WHERE contest = ? AND number = ?";
    std::lock_guard lock(mutex_);
    Query q(prepare(sql.c_str()));
    if (!q.bind(contest).bind(int64_t{number}).row()) return std::nullopt;
    return teamOf(q);
}

std::vector<TeamRecord> Store::teams(int64_t contest) {
    static const std::string sql = std::string(kTeamColumns) + "WHERE contest = ? ORDER BY number";
    std::lock_guard lock(mutex_);
    Query q(prepare(sql.c_str()));
    q.bind(contest);
    std::vector<TeamRecord> all;
    while (q.row()) all.push_back(teamOf(q));
    return all;
}

void Store::approveTeam(int64_t team) {
    std::lock_guard lock(mutex_);
    Query(prepare("UPDATE team SET approved = 1 WHERE id = ?")).bind(team).done();
}

void Store::removeTeam(int64_t team) {
    std::lock_guard lock(mutex_);
    Query(prepare("DELETE FROM team WHERE id = ?")).bind(team).done();
}

int64_t Store::addSubmission(int64_t contest, TeamRecord& team, const SubmissionRecord& s,
                             std::string_view bridge) {
    std::lock_guard lock(mutex_);
    std::string error;
    if (!exec(db_, "BEGIN IMMEDIATE", error)) return -1;
    bool ok = true;
    const bool newTeam = team.id == 0;
    if (newTeam) {
        Query q(
            prepare("INSERT INTO team(contest, number, name, pin_hash) VALUES(?1, "
                    "(SELECT coalesce(max(number), 0) + 1 FROM team WHERE contest = ?1), ?2, ?3) "
                    "ON CONFLICT DO NOTHING RETURNING id, number"));
        if (q.bind(contest).bind(team.name).bind(team.pinHash).row()) {
            team.id = q.integer(0);
            team.number = static_cast<int>(q.integer(1));
        } else {
            ok = false;
        }
    }
    int64_t id = 0;
    if (ok) {
        Query q(
            prepare("INSERT INTO submission(team, time_ms, verdict, weight, passed, rules) "
                    "VALUES(?, ?, ?, ?, ?, ?) RETURNING id"));
        if (q.bind(team.id)
                .bind(s.timeMs)
                .bind(s.verdict)
                .bind(s.weight)
                .bind(int64_t{s.passed})
                .bind(s.rules)
                .row())
            id = q.integer(0);
    }
    if (id != 0 && !Query(prepare("INSERT INTO bridge_file(submission, text) VALUES(?, ?)"))
                        .bind(id)
                        .bind(bridge)
                        .done())
        id = 0;
    if (id == 0 || !exec(db_, "COMMIT", error)) {
        exec(db_, "ROLLBACK", error);
        if (newTeam) team.id = 0;
        return ok ? -1 : 0;
    }
    return id;
}

std::vector<SubmissionRecord> Store::submissions(int64_t contest, bool details) {
    std::lock_guard lock(mutex_);
    Query q(prepare(
        details ? "SELECT s.id, s.team, s.time_ms, s.weight, s.passed, s.verdict, s.rules FROM submission s "
                  "JOIN team t ON t.id = s.team WHERE t.contest = ? ORDER BY s.time_ms, s.id"
                : "SELECT s.id, s.team, s.time_ms, s.weight, s.passed FROM submission s "
                  "JOIN team t ON t.id = s.team WHERE t.contest = ? ORDER BY s.time_ms, s.id"));
    q.bind(contest);
    std::vector<SubmissionRecord> all;
    while (q.row()) {
        all.push_back({q.integer(0), q.integer(1), q.integer(2), {}, q.real(3), q.integer(4) != 0, {}});
        if (details) {
            all.back().verdict = q.text(5);
            all.back().rules = q.text(6);
        }
    }
    return all;
}

std::string Store::bridgeText(int64_t submission) {
    std::lock_guard lock(mutex_);
    Query q(prepare("SELECT text FROM bridge_file WHERE submission = ?"));
    return q.bind(submission).row() ? q.text(0) : std::string();
}

bool Store::removeSubmission(int64_t contest, int64_t submission) {
    std::lock_guard lock(mutex_);
    Query q(
        prepare("DELETE FROM submission WHERE id = ? AND team IN (SELECT id FROM team WHERE contest = ?)"));
    return q.bind(submission).bind(contest).done() && sqlite3_changes(db_) == 1;
}

bool Store::backup(const std::string& path, std::string& error) {
    sqlite3* target = nullptr;
    if (sqlite3_open(path.c_str(), &target) != SQLITE_OK) {
        error = target ? sqlite3_errmsg(target) : "out of memory";
        sqlite3_close(target);
        return false;
    }
    // The source is read through this connection; others wait only while the copy runs.
    std::lock_guard lock(mutex_);
    sqlite3_backup* b = sqlite3_backup_init(target, "main", db_, "main");
    int rc = SQLITE_ERROR;
    if (b) {
        rc = sqlite3_backup_step(b, -1);
        sqlite3_backup_finish(b);
    }
    if (rc != SQLITE_DONE) error = sqlite3_errmsg(target);
    sqlite3_close(target);
    return rc == SQLITE_DONE;
}

std::string Store::integrityCheck() {
    std::lock_guard lock(mutex_);
    Query q(prepare("PRAGMA integrity_check"));
    std::string result;
    while (q.row()) result += (result.empty() ? "" : "\n") + q.text(0);
    return result;
}
