// The server's one SQLite database: teachers, their sessions, contests, teams and every
// submission's text. All SQL of the server is here, each statement prepared once with bound
// parameters; one connection serves every thread, one call at a time. WAL mode with full sync: a
// call that writes returns after its transaction is on disk.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The schema this build writes (PRAGMA user_version); older databases are upgraded on opening.
constexpr int STORE_SCHEMA_VERSION = 1;

struct TeacherRecord {
    int64_t id = 0;
    std::string name;
    std::string passwordHash;  // crypto_pwhash_str
};

struct SessionRecord {
    int64_t teacher = 0;
    std::string teacherName;
    std::string csrf;
};

struct ContestRecord {
    int64_t id = 0;
    std::string code;
    int64_t teacher = 0;
    std::string title;
    std::string assignment;  // the assignment file's text
    bool closed = false;
};

struct TeamRecord {
    int64_t id = 0;
    int number = 0;  // 1 for the contest's first team; "Team N" until approved
    std::string name;
    std::string pinHash;
    bool approved = false;
};

struct SubmissionRecord {
    int64_t id = 0;
    int64_t team = 0;
    int64_t timeMs = 0;  // since the Unix epoch
    std::string verdict;
    double weight = 0.0;  // kips
    bool passed = false;  // passed and broke none of the assignment's limits
    std::string rules;    // the limits broken, one sentence a line
};

// Opened by Store::open; every method may be called from any thread.
class Store {
  public:
    // Opens or creates the database at path and brings its schema up to date; on failure returns
    // nullptr with SQLite's reason.
    static std::unique_ptr<Store> open(const std::string& path, std::string& error);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Adds the teacher or replaces the password of the one of that name.
    bool setTeacher(std::string_view name, std::string_view passwordHash);
    std::optional<TeacherRecord> teacher(std::string_view name);

    // Sessions are found by a hash of the id the cookie carries. Adding one removes those created
    // before expiredBeforeMs.
    bool addSession(std::string_view idHash, int64_t teacher, std::string_view csrf, int64_t nowMs,
                    int64_t expiredBeforeMs);
    std::optional<SessionRecord> session(std::string_view idHash, int64_t notBeforeMs);
    void removeSession(std::string_view idHash);

    // False when the code is taken.
    bool addContest(const ContestRecord& contest);
    std::optional<ContestRecord> contest(std::string_view code);
    std::vector<ContestRecord> contestsOf(int64_t teacher);
    void closeContest(int64_t contest);

    std::optional<TeamRecord> team(int64_t contest, std::string_view name);
    std::optional<TeamRecord> teamByNumber(int64_t contest, int number);
    std::vector<TeamRecord> teams(int64_t contest);  // by number
    void approveTeam(int64_t team);
    void removeTeam(int64_t team);  // with its submissions

    // Stores a submission in one transaction, the team first when team.id is 0 (then its number
    // is the contest's next). Returns the submission's id and fills in the team's id and number,
    // or 0 when the team was added meanwhile under the same name (the caller tries again).
    int64_t addSubmission(int64_t contest, TeamRecord& team, const SubmissionRecord& submission,
                          std::string_view bridge);
    // By time, then id; without the verdicts and rules unless details.
    std::vector<SubmissionRecord> submissions(int64_t contest, bool details = true);
    std::string bridgeText(int64_t submission);
    bool removeSubmission(int64_t contest, int64_t submission);  // false when not in the contest

    // A consistent copy of the whole database, while others go on using it.
    bool backup(const std::string& path, std::string& error);
    // "ok" when PRAGMA integrity_check finds nothing.
    std::string integrityCheck();

  private:
    explicit Store(sqlite3* db) : db_(db) {}
    bool upgrade(std::string& error);
    sqlite3_stmt* prepare(const char* sql);

    sqlite3* db_;
    std::mutex mutex_;
    std::vector<std::pair<const char*, sqlite3_stmt*>> statements_;
};
