#include "watch/ShortcutSource.h"

#include <utility>

#include "question/ShortcutText.h"

namespace watch {

ShortcutSource::ShortcutSource(const store::ShortcutStore& store, std::vector<platform::ShortcutFolder> folders,
                               bool shared)
    : store_(store), folders_(std::move(folders)), shared_(shared) {}

void ShortcutSource::heard(const platform::FolderChange& change) {
    if (change.folder < folders_.size()) heard_.push_back(change);
}

store::ShortcutSnapshot& ShortcutSource::now() {
    if (!now_) {
        now_ = store_.read(folders_);
        heard_.clear();
    }
    for (const platform::FolderChange& c : std::exchange(heard_, {})) {
        if (c.whole) {
            store_.reread(*now_, folders_[c.folder]);
        } else {
            store_.reread(*now_, folders_[c.folder], c.files);
        }
    }
    return *now_;
}

std::wstring ShortcutSource::read() { return store::serialize(now()); }

const platform::ShortcutFolder* ShortcutSource::folderOf(platform::ShortcutPlace place) const {
    for (const platform::ShortcutFolder& f : folders_) {
        if (f.place == place) return &f;
    }
    return nullptr;
}

std::wstring ShortcutSource::readAfresh() {
    store::ShortcutSnapshot& snapshot = now();
    for (const store::Shortcut& s : std::exchange(written_, {})) {
        if (const platform::ShortcutFolder* f = folderOf(s.place)) store_.reread(snapshot, *f, {s.path});
    }
    return store::serialize(snapshot);
}

bool ShortcutSource::write(const std::wstring& value) {
    if (shared_) return false;
    bool all = true;
    for (const store::ShortcutChange& c : store::diff(store::parse(value), now()).changes) {
        all = store_.putBack(c) && all;
        written_.push_back(c.now);
    }
    return all;
}

Treatment ShortcutSource::treatment(const std::wstring& reference, const std::wstring& value) const {
    auto changes = store::diff(store::parse(reference), store::parse(value)).changes;
    if (changes.empty()) return Treatment::Accept;
    if (!shared_) return Treatment::Ask;
    toldValue_ = value;
    told_ = std::move(changes);
    return Treatment::Tell;
}

std::wstring ShortcutSource::question(const std::wstring& reference, const std::wstring& value,
                                     const Display& d) const {
    if (shared_) {
        if (value != toldValue_) told_ = store::diff(store::parse(reference), store::parse(value)).changes;
        return question::shortcutNotice(told_, d);
    }
    return question::shortcutQuestion(store::diff(store::parse(reference), store::parse(value)).changes, d);
}

} // namespace watch
