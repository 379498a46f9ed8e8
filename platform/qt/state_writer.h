// The desktop's writer of state (the copy of unsaved work), on a thread of its own so that a click
// never waits for a slow disk. Writes and removals are done in rounds, in the order their names
// were first given, each name's newest wish only: a round that writes starts at most once an
// interval, one that removes at once, and a write that fails is tried again in the next round.
// So a removal is never undone by a late write, and a copy moved to another name is in place
// before the old one goes. What is left when the writer goes is done then, once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class StateWriter {
  public:
    // Puts contents under name, whole or not at all, or removes name when contents is nothing;
    // returns whether it did. Runs on the writer's thread, one call at a time.
    using Change = std::function<bool(const std::string& name, const std::optional<std::string>& contents)>;

    explicit StateWriter(Change change, std::chrono::milliseconds interval = std::chrono::seconds(1));
    ~StateWriter();
    StateWriter(const StateWriter&) = delete;
    StateWriter& operator=(const StateWriter&) = delete;

    // Both return at once: name is to hold contents, or to go.
    void store(const std::string& name, std::string contents);
    void remove(const std::string& name);

    // The names not yet as they are to be (to be done, or being done), each with what it will
    // hold: its newest contents, or nothing when it is to go.
    std::map<std::string, std::optional<std::string>> pendingChanges() const;

  private:
    struct Entry {
        std::string name;
        std::optional<std::string> contents;  // nothing: remove
    };
    void give(const std::string& name, std::optional<std::string> contents);
    void run();

    const Change change_;
    const std::chrono::milliseconds interval_;
    mutable std::mutex mutex_;
    std::condition_variable given_;
    std::vector<Entry> pending_;  // in the order first given; one entry a name
    std::vector<Entry> doing_;    // the round under way; read by the writer's thread without the lock
    std::chrono::steady_clock::time_point nextRound_{};
    bool stopping_ = false;
    std::thread thread_;  // last: starts once everything above is set up
};
