// The state writer's thread: rounds of changes, writes an interval apart, while anything is left.
#include "platform/qt/state_writer.h"

#include <algorithm>

namespace {

template <typename Entries>
auto entryOf(Entries& entries, const std::string& name) {
    return std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; });
}

}  // namespace

StateWriter::StateWriter(Change change, std::chrono::milliseconds interval)
    : change_(std::move(change)), interval_(interval), thread_([this] { run(); }) {}

StateWriter::~StateWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    given_.notify_all();
    thread_.join();
}

void StateWriter::store(const std::string& name, std::string contents) {
    give(name, std::move(contents));
}

void StateWriter::remove(const std::string& name) {
    give(name, std::nullopt);
}

void StateWriter::give(const std::string& name, std::optional<std::string> contents) {
    {
        const std::lock_guard lock(mutex_);
        const auto found = entryOf(pending_, name);
        if (found != pending_.end()) {
            found->contents = std::move(contents);
        } else {
            pending_.push_back({name, std::move(contents)});
        }
    }
    given_.notify_all();
}

std::map<std::string, std::optional<std::string>> StateWriter::pendingChanges() const {
    const std::lock_guard lock(mutex_);
    std::map<std::string, std::optional<std::string>> changes;
    for (const Entry& e : doing_) changes[e.name] = e.contents;
    for (const Entry& e : pending_) changes[e.name] = e.contents;  // newer than the round under way
    return changes;
}

void StateWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (pending_.empty()) {
            if (stopping_) return;
            given_.wait(lock);
            continue;
        }
        // The first write after a quiet spell goes at once, the ones that follow it a round an
        // interval later; a removal does not wait.
        const bool removal =
            std::any_of(pending_.begin(), pending_.end(), [](const Entry& e) { return !e.contents; });
        if (!stopping_ && !removal && std::chrono::steady_clock::now() < nextRound_) {
            given_.wait_until(lock, nextRound_);
            continue;
        }
        nextRound_ = std::chrono::steady_clock::now() + interval_;
        doing_.swap(pending_);
        lock.unlock();
        std::vector<Entry> failed;
        for (const Entry& e : doing_) {
            if (!change_(e.name, e.contents)) failed.push_back(e);
        }
        lock.lock();
        // A failed change comes round again, first, unless a newer wish or the end came first.
        if (!stopping_) {
            std::erase_if(failed,
                          [&](const Entry& e) { return entryOf(pending_, e.name) != pending_.end(); });
            pending_.insert(pending_.begin(), failed.begin(), failed.end());
        }
        doing_.clear();
    }
}
