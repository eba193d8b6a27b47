#pragma once

// DIR/manifest.jsonl: one JSON object per line for every entry a salvage run handled,
// written as the run goes so that a stopped run still says what it wrote. Each run adds
// its lines after those of earlier runs into the same folder, which stay as they were:
// they are the only record of what those runs recovered.

#include "platform/AppendFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

struct ManifestRecord {
    std::string path;   // UTF-8, relative to the destination folder; empty when none
    std::string source; // display path of the entry in the result tree
    std::uint64_t size = 0;
    int condition = 0;
    bool deleted = false;
    std::string status; // "ok", "partial", "cut", "skipped", "failed"
    std::string error;  // only for "failed"
    // Only for "partial": the size the file system recorded and the bytes not written.
    std::uint64_t expectedSize = 0;
    std::uint64_t unreadBytes = 0;
    std::string sha256; // of the bytes written; empty when nothing was written
    // A carved file: its start-sector name, and its folder when a file system named it.
    std::string carvedName;
    std::string originalFolder;
};

inline constexpr char kManifestName[] = "manifest.jsonl";

// JSON string literal for UTF-8 text, quotes included.
std::string JsonQuote(std::string_view text);
std::string ManifestLine(const ManifestRecord& record);

class ManifestWriter {
public:
    // Opens the folder's manifest to add lines to it, creating it when there is none.
    [[nodiscard]] bool Open(const std::string& folder);
    [[nodiscard]] bool Append(const ManifestRecord& record);
    // Flushes the manifest to the disk and closes it.
    [[nodiscard]] bool Close();
    bool IsOpen() const { return file_.IsOpen(); }
    // Why the last call failed, for a message.
    std::string ErrorText() const;

private:
    AppendFile file_;
    std::string folder_;
    int lastErrno_ = 0;
};

} // namespace vantrel
