// libsodium behind the server's secrets. A PIN is 4 to 12 digits, so its hash guards a leaked
// database against casual reading rather than against a search; its cost is kept low enough that
// a class submitting at once is not slowed.
#include "server/security.h"

#include <sodium.h>

namespace {

// Argon2id for PINs: two passes over 1 MiB, 1.5 ms to hash or verify on a 2-core server. The
// interactive limits take 145 ms there, and 4 MiB 8 ms: when a class of 300 sends its first
// bridges within seconds, either queues the submissions behind each other for up to a second.
constexpr unsigned long long kPinOps = 2;
constexpr size_t kPinMemory = 1u << 20;

std::string hashWith(std::string_view secret, unsigned long long ops, size_t memory) {
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, secret.data(), secret.size(), ops, memory, crypto_pwhash_ALG_ARGON2ID13) !=
        0)
        return {};  // out of memory: no hash verifies against it
    return out;
}

std::string hex(const unsigned char* bytes, size_t n) {
    std::string text(n * 2 + 1, '\0');
    sodium_bin2hex(text.data(), text.size(), bytes, n);
    text.pop_back();
    return text;
}

}  // namespace

bool initSecurity() {
    return sodium_init() >= 0;
}

std::string hashPassword(std::string_view password) {
    return hashWith(password, crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE);
}

std::string hashPin(std::string_view pin) {
    return hashWith(pin, kPinOps, kPinMemory);
}

bool verifyHash(const std::string& hash, std::string_view secret) {
    return !hash.empty() && crypto_pwhash_str_verify(hash.c_str(), secret.data(), secret.size()) == 0;
}

std::string randomToken() {
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return hex(bytes, sizeof bytes);
}

std::string tokenHash(std::string_view token) {
    unsigned char digest[32];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    return hex(digest, sizeof digest);
}

bool sameToken(std::string_view a, std::string_view b) {
    return a.size() == b.size() && !a.empty() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string randomClassCode() {
    constexpr uint32_t kLetters = sizeof CLASS_CODE_ALPHABET - 1;
    std::string code;
    for (size_t i = 0; i < CLASS_CODE_LENGTH; ++i) code += CLASS_CODE_ALPHABET[randombytes_uniform(kLetters)];
    return code;
}

VerifiedPins::VerifiedPins() {
    randombytes_buf(key_, sizeof key_);
}

std::string VerifiedPins::tag(std::string_view pin) const {
    unsigned char digest[32];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(pin.data()), pin.size(),
                       key_, sizeof key_);
    return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

bool VerifiedPins::known(int64_t team, std::string_view pin) {
    const std::string t = tag(pin);
    std::lock_guard lock(mutex_);
    const auto it = tags_.find(team);
    return it != tags_.end() && sodium_memcmp(it->second.data(), t.data(), t.size()) == 0;
}

void VerifiedPins::add(int64_t team, std::string_view pin) {
    std::string t = tag(pin);
    std::lock_guard lock(mutex_);
    tags_[team] = std::move(t);
}

void RateLimiter::prune(std::vector<Clock::time_point>& times, Clock::time_point now) const {
    size_t keep = 0;
    while (keep < times.size() && now - times[keep] >= std::chrono::minutes(1)) ++keep;
    times.erase(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(keep));
}

bool RateLimiter::exceeded(const std::string& key) {
    std::lock_guard lock(mutex_);
    const auto it = events_.find(key);
    if (it == events_.end()) return false;
    prune(it->second, Clock::now());
    return static_cast<int>(it->second.size()) >= perMinute_;
}

void RateLimiter::record(const std::string& key) {
    std::lock_guard lock(mutex_);
    const Clock::time_point now = Clock::now();
    // Keys of the past are dropped now and then, so that the map stays the size of a minute's traffic.
    if (now - lastSweep_ >= std::chrono::minutes(1)) {
        for (auto it = events_.begin(); it != events_.end();) {
            prune(it->second, now);
            it = it->second.empty() ? events_.erase(it) : std::next(it);
        }
        lastSweep_ = now;
    }
    events_[key].push_back(now);
}
