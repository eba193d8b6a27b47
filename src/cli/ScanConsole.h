#pragma once

// The terminal side of `scan`: receives the scan worker's requests on the main thread,
// prints every log line ("日時", "対象", "内容") on stderr, keeps one live progress line
// (phase, position / total, elapsed and remaining time, files and folders found) and
// turns Ctrl-C into a stop request.

#include "engine/progress/RemainingTime.h"
#include "engine/request/RequestQueue.h"
#include "engine/request/TreeItemRecord.h"

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace vantrel {
class ResultNode;
}

namespace vantrel::cli {

class ScanConsole {
public:
    ScanConsole(std::ostream& err, bool live, int columns);

    // Handles the requests of the worker running on record (whose sink is queue) until
    // the worker has ended. The area is the node being scanned.
    void Run(TreeItemRecord& record, RequestQueue& queue, const ResultNode& area);

    bool Interrupted() const { return interrupted_; }
    std::size_t FilesFound() const { return files_; }
    std::size_t FoldersFound() const { return folders_; }

    // One log line as printed: "YYYY/MM/DD hh:mm:ss<TAB>target<TAB>text".
    static std::string LogLine(std::int64_t now, const std::u16string& target,
                               const std::u16string& text);
    // The progress line, cut to columns.
    std::string ProgressLine() const;

private:
    void Handle(UiRequest& request, const ResultNode& area);
    void Draw(bool force);
    void Clear();

    std::ostream& err_;
    bool live_;
    int columns_;
    bool shown_ = false;
    bool interrupted_ = false;
    RemainingTimeEstimate estimate_;
    std::string phase_;
    std::uint64_t position_ = 0;
    std::uint64_t total_ = 0;
    std::size_t files_ = 0;
    std::size_t folders_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace vantrel::cli
