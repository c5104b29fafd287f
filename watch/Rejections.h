#pragma once
#include <chrono>
#include <cstddef>
#include <deque>
#include <string>

namespace watch {

// The values the user answered No to, each held for a minute after the
// answer, as the text the store reads: the same page stored in another form
// (an expandable string, bytes after its end) asks the same question and
// gets the same answer. Bounded, the oldest going first: more than a user
// can answer in a minute, and a few mebibytes of text.
class Rejections {
public:
    static constexpr std::chrono::milliseconds kHeld = std::chrono::minutes(1);
    static constexpr size_t kMostValues = 64;
    static constexpr size_t kMostCharacters = 8u << 20;

    void remember(const std::wstring& value, std::chrono::milliseconds now);
    bool holds(const std::wstring& value, std::chrono::milliseconds now);
    void forget(const std::wstring& value);
    void clear();
    size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::wstring value;
        std::chrono::milliseconds until;
    };
    void dropExpired(std::chrono::milliseconds now);

    std::deque<Entry> entries_; // oldest first
    size_t characters_ = 0;
};

} // namespace watch
