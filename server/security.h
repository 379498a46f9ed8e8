// Secrets and limits: Argon2id hashes of teachers' passwords and teams' PINs, random session ids,
// CSRF tokens and class codes from libsodium, and the per-minute counters that refuse guessing.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "files/contest_entry.h"

// Must be called once before any other function here; false when libsodium cannot start.
bool initSecurity();

// Argon2id in libsodium's string form. Passwords take the interactive limits; PINs a lighter
// setting, since every submission checks one (see the README for the times measured).
std::string hashPassword(std::string_view password);
std::string hashPin(std::string_view pin);
bool verifyHash(const std::string& hash, std::string_view secret);

// 32 random bytes as 64 hex digits: session ids and CSRF tokens.
std::string randomToken();
// A stored stand-in for a session id, so that the database holds no live cookie.
std::string tokenHash(std::string_view token);
// Constant-time comparison of two tokens.
bool sameToken(std::string_view a, std::string_view b);

// CLASS_CODE_LENGTH characters of CLASS_CODE_ALPHABET (files/contest_entry.h).
std::string randomClassCode();

// The PINs already verified against their Argon2id hash in this run, kept as keyed BLAKE2b tags
// under a key drawn at start-up, so that a team's later submissions skip the slow hash. Thread-safe.
class VerifiedPins {
  public:
    VerifiedPins();
    bool known(int64_t team, std::string_view pin);
    void add(int64_t team, std::string_view pin);

  private:
    std::string tag(std::string_view pin) const;
    unsigned char key_[32];
    std::mutex mutex_;
    std::map<int64_t, std::string> tags_;
};

// Counts events per key over the last minute; thread-safe.
class RateLimiter {
  public:
    explicit RateLimiter(int perMinute) : perMinute_(perMinute) {}
    // Whether the key has reached its limit (then the caller answers 429).
    bool exceeded(const std::string& key);
    void record(const std::string& key);

  private:
    using Clock = std::chrono::steady_clock;
    void prune(std::vector<Clock::time_point>& times, Clock::time_point now) const;
    int perMinute_;
    std::mutex mutex_;
    std::map<std::string, std::vector<Clock::time_point>> events_;
    Clock::time_point lastSweep_{};
};
