// What the server does with contests, apart from HTTP: a team's submission checked, analysed,
// judged and stored; the standings; the teacher's lists, class page and download. Each operation
// answers with the status and body the client gets.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "grading/similarity.h"
#include "server/json_reader.h"
#include "server/security.h"
#include "server/store.h"

constexpr size_t MAX_BRIDGE_BYTES = 1u << 20;

struct Reply {
    int status = 200;
    std::string body;
    std::string type = "application/json";
    std::string disposition;  // Content-Disposition of a download
};

// {"error": message} with status.
Reply errorReply(int status, std::string_view message);

// One team's place, computed from the stored submissions.
struct TeamStanding {
    TeamRecord team;
    const SubmissionRecord* best = nullptr;    // lightest passing within the rules, earlier on ties
    const SubmissionRecord* latest = nullptr;  // the last stored
    int rank = 0;                              // 1 first among approved teams with a best; 0 none
};

// Every team of the contest in number order; the records point into submissions.
std::vector<TeamStanding> standingsOf(const std::vector<TeamRecord>& teams,
                                      const std::vector<SubmissionRecord>& submissions);

// The name others see: the team's own once approved, else "Team N".
std::string shownName(const TeamRecord& team);

class Contests {
  public:
    explicit Contests(Store& store) : store_(store) {}

    // POST /api/contests/CODE/submissions from the address given (for the failure limits).
    Reply submit(const ContestRecord& contest, const JsonFields& fields, const std::string& address);
    // GET /api/contests/CODE/standings: approved teams, ranked ones first.
    Reply standings(const ContestRecord& contest);
    // The teacher's lists: every submission, every team.
    Reply submissionList(const ContestRecord& contest);
    Reply teamList(const ContestRecord& contest);
    // The class page made from each team's best (or latest) design, and those designs as a .zip.
    Reply report(const ContestRecord& contest);
    Reply files(const ContestRecord& contest);

    // After a submission or a team is removed: the designs kept for comparing are read again.
    void forgetDesigns(int64_t contest);

  private:
    struct StoredDesign {
        int64_t submission;
        int64_t team;
        Design design;
    };
    struct ContestDesigns {
        bool loaded = false;  // every stored submission's design is in all
        std::vector<StoredDesign> all;
        std::unordered_set<int64_t> submissions;
    };

    // The shown names of the other teams with a submission the same as or near the new one,
    // which joins the designs kept. On first use the contest's stored files are read.
    std::vector<std::string> similarTeams(int64_t contest, const StoredDesign& added,
                                          const std::vector<TeamStanding>& teams,
                                          const std::vector<SubmissionRecord>& submissions);

    Store& store_;
    RateLimiter failuresByAddress_{10};  // wrong PINs from one address, whatever the team
    RateLimiter failuresByTeam_{10};     // wrong PINs for one team, from anywhere
    RateLimiter submissionsByTeam_{60};
    VerifiedPins verifiedPins_;
    std::mutex designsMutex_;
    std::unordered_map<int64_t, ContestDesigns> designs_;  // by contest
};
