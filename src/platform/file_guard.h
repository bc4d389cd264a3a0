// What the program knows in this run about user files it could not use:
// which of them must not be written, and what the user is to be told about
// them.
//
// A file that exists but cannot be read or parsed is moved aside as a backup
// before anything replaces it. When even that fails, the file is protected:
// the program goes on with its defaults in memory and every write to that
// path is refused until the next start, so the user's bytes stay where they
// are. Each such event becomes one notice, said once per file; the window
// shows notices in its notice line as they come (those of the start-up wait
// until the window takes them).
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace vandrel::platform {

struct FileNotice {
    enum class Kind {
        kSetAside,        // the file could not be used; it was moved to `backup`
        kLeftInPlace,     // the file could not be used nor moved; it is left untouched
        kEntriesDropped,  // entries of the file could not be used; a copy is kept as `backup`
    };
    Kind kind = Kind::kSetAside;
    std::string path;
    std::string reason;  // why the file could not be used
    std::string backup;  // where the original now is (kSetAside, kEntriesDropped)
};

class FileGuard {
public:
    using Sink = std::function<void(const FileNotice&)>;

    static FileGuard& Instance();

    // From now on nothing writes `path` in this run.
    void Protect(const std::string& path);
    bool IsProtected(const std::string& path) const;

    // Traces the notice and hands it to the sink (or keeps it for the sink to
    // come). A second notice of the same kind for the same file is dropped.
    void Post(FileNotice notice);
    // The sink receives the notices kept so far, then each new one, on the
    // thread that posts it. An empty sink keeps notices again.
    void SetSink(const Sink& sink);

    // Forgets protections, notices and the sink (tests).
    void ResetForTests();

private:
    FileGuard() = default;

    mutable std::mutex mutex_;
    std::set<std::string> protected_;
    std::set<std::pair<int, std::string>> said_;
    std::deque<FileNotice> pending_;
    Sink sink_;
};

// One line for the trace and for readers without the window's texts.
std::string DescribeNotice(const FileNotice& notice);

}  // namespace vandrel::platform
