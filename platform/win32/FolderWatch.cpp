#include "platform/win32/FolderWatch.h"

namespace platform {
namespace {

constexpr DWORD kWhat = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                        FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_CREATION;
// Room for a few hundred names; a burst larger than that is reported as
// lost (no bytes), and the folder is read whole.
constexpr DWORD kBufferBytes = 16384;

bool isLinkName(const std::wstring& name) {
    return name.size() > 4 &&
           CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".lnk", 4, TRUE) == CSTR_EQUAL;
}

} // namespace

struct FolderWatch::Watch {
    unique_handle dir, event;
    OVERLAPPED overlapped{};
    alignas(DWORD) BYTE buffer[kBufferBytes];
    bool pending = false;
    // Changes may have gone unheard while no read was pending.
    bool missed = false;
};

FolderWatch::FolderWatch(std::vector<ShortcutFolder> folders) : folders_(std::move(folders)) {
    for (size_t i = 0; i < folders_.size(); ++i) watches_.push_back(std::make_unique<Watch>());
    waitables();
}

FolderWatch::~FolderWatch() {
    for (auto& w : watches_) disarm(*w);
}

bool FolderWatch::arm(size_t folder) {
    Watch& w = *watches_[folder];
    if (!w.event) w.event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!w.dir) {
        w.dir.reset(CreateFileW(folders_[folder].path.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
        if (w.dir.get() == INVALID_HANDLE_VALUE) w.dir.release();
    }
    if (!w.event || !w.dir) return false;
    w.overlapped = {};
    w.overlapped.hEvent = w.event.get();
    w.pending = ReadDirectoryChangesW(w.dir.get(), w.buffer, kBufferBytes, folders_[folder].recursive, kWhat, nullptr,
                                      &w.overlapped, nullptr) != FALSE;
    if (!w.pending) w.dir.reset(); // the folder is gone from under its handle
    return w.pending;
}

// The read is cancelled and waited for before its buffer can go.
void FolderWatch::disarm(Watch& w) {
    if (w.pending) {
        CancelIo(w.dir.get());
        DWORD bytes = 0;
        GetOverlappedResult(w.dir.get(), &w.overlapped, &bytes, TRUE);
        w.pending = false;
    }
}

bool FolderWatch::armed(size_t folder) const { return watches_[folder]->pending; }

std::span<const HANDLE> FolderWatch::waitables() {
    waiting_.clear();
    waitingFor_.clear();
    for (size_t i = 0; i < watches_.size(); ++i) {
        Watch& w = *watches_[i];
        if (!w.pending && !arm(i)) w.missed = true;
        if (w.pending) {
            waiting_.push_back(w.event.get());
            waitingFor_.push_back(i);
        }
    }
    return waiting_;
}

std::optional<FolderChange> FolderWatch::signalled(size_t index) {
    if (index >= waitingFor_.size()) return std::nullopt;
    const size_t folder = waitingFor_[index];
    Watch& w = *watches_[folder];
    DWORD bytes = 0;
    if (!GetOverlappedResult(w.dir.get(), &w.overlapped, &bytes, FALSE) &&
        GetLastError() == ERROR_IO_INCOMPLETE) {
        return std::nullopt; // not this one's signal after all
    }
    w.pending = false;
    FolderChange change{folder, {}, bytes == 0 || w.missed};
    w.missed = false;
    for (DWORD at = 0; !change.whole && at < bytes;) {
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(w.buffer + at);
        const std::wstring name(record->FileName, record->FileNameLength / sizeof(WCHAR));
        // A folder renamed or removed moves the shortcuts inside it, and
        // names only itself. Other files (a document saved to the Desktop)
        // are no concern.
        if (isLinkName(name)) {
            change.files.push_back(folders_[folder].path + L"\\" + name);
        } else if (folders_[folder].recursive && record->Action != FILE_ACTION_MODIFIED) {
            change.whole = true;
        }
        if (record->NextEntryOffset == 0) break;
        at += record->NextEntryOffset;
    }
    if (change.whole) change.files.clear();
    if (!arm(folder)) w.missed = true;
    return change;
}

void FolderWatch::reset() {
    for (auto& w : watches_) {
        disarm(*w);
        w->dir.reset();
        w->event.reset();
        w->missed = true;
    }
    waiting_.clear();
    waitingFor_.clear();
}

} // namespace platform
