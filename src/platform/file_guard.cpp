#include "platform/file_guard.h"

#include "platform/trace.h"

namespace vandrel::platform {

FileGuard& FileGuard::Instance() {
    static FileGuard guard;
    return guard;
}

void FileGuard::Protect(const std::string& path) {
    const std::lock_guard lock(mutex_);
    protected_.insert(path);
}

bool FileGuard::IsProtected(const std::string& path) const {
    const std::lock_guard lock(mutex_);
    return protected_.count(path) != 0;
}

void FileGuard::Post(FileNotice notice) {
    Trace("files: " + DescribeNotice(notice));
    Sink sink;
    {
        const std::lock_guard lock(mutex_);
        if (!said_.emplace(static_cast<int>(notice.kind), notice.path).second) return;
        if (!sink_) {
            pending_.push_back(std::move(notice));
            return;
        }
        sink = sink_;
    }
    sink(notice);
}

void FileGuard::SetSink(const Sink& sink) {
    std::deque<FileNotice> pending;
    {
        const std::lock_guard lock(mutex_);
        sink_ = sink;
        if (!sink_) return;
        pending.swap(pending_);
    }
    for (const FileNotice& notice : pending) sink(notice);
}

void FileGuard::ResetForTests() {
    const std::lock_guard lock(mutex_);
    protected_.clear();
    said_.clear();
    pending_.clear();
    sink_ = nullptr;
}

std::string DescribeNotice(const FileNotice& notice) {
    switch (notice.kind) {
        case FileNotice::Kind::kSetAside:
            return notice.path + " could not be used (" + notice.reason + "); it was kept as " + notice.backup;
        case FileNotice::Kind::kLeftInPlace:
            return notice.path + " could not be used (" + notice.reason +
                   ") nor kept aside; it is left as it is and nothing writes it in this run";
        case FileNotice::Kind::kEntriesDropped:
            return notice.path + " had entries that could not be used (" + notice.reason +
                   "); they were left out and the file was kept as " + notice.backup;
    }
    return notice.path;
}

}  // namespace vandrel::platform
