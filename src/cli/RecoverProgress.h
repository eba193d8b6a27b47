#pragma once

// The progress line of `recover` on stderr: current file, its bytes, files done of the
// total. Drawn only when stderr is a terminal; log lines and questions clear it first.

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace vantrel::cli {

class RecoverProgress {
public:
    RecoverProgress(std::ostream& err, bool enabled, int columns);
    void Start(std::uint64_t total);
    void File(const std::string& name, std::uint64_t size);
    void Bytes(std::uint64_t done);
    void FilesDone(std::uint64_t done);
    // Removes the line so that other text can be written.
    void Clear();
    void Redraw(bool force);

    // The line itself, cut to the given number of terminal columns.
    static std::string Line(std::uint64_t filesDone, std::uint64_t total, std::uint64_t bytes,
                            std::uint64_t size, const std::string& name, int columns);

private:
    std::ostream& err_;
    bool enabled_;
    int columns_;
    bool shown_ = false;
    std::uint64_t total_ = 0;
    std::uint64_t filesDone_ = 0;
    std::uint64_t bytes_ = 0;
    std::uint64_t size_ = 0;
    std::string name_;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace vantrel::cli
