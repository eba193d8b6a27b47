#pragma once

// Copies one entry's data into a new file: written under a temporary name in the same
// folder and renamed to its final name only when complete, so that a failed or stopped
// file never lies under its final name looking whole.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class FileEntry;

enum class CopyResult { Done, Failed, Stopped };

struct CopyOutcome {
    CopyResult result = CopyResult::Failed;
    std::string error;  // UTF-8, for Failed and Stopped
    std::string sha256; // empty when the task asked for none
    std::uint64_t bytesWritten = 0;
    // Bytes written as zeros because their sectors were never read (a rescue map's holes).
    std::uint64_t zeroFilledBytes = 0;
    // The file is whole, but its times could not be set or its name may not have reached
    // the disk yet.
    std::string warning;
};

struct CopyTask {
    std::filesystem::path folder;
    std::string finalName;
    std::uint64_t byteCount = 0; // the entry's size, or less when the file is cut
    bool replaceExisting = false;
    std::size_t pieceBytes = 1 << 20;
    // SHA-256 of the bytes written; leaving it out makes a large file cost little more
    // than copying it where hashing is slower than the copy.
    bool hash = true;
    // Asked again just before an existing file is replaced; false keeps it.
    std::function<bool(const std::filesystem::path& path)> mayReplace;
    // After every piece, with the bytes done; false stops the copy.
    std::function<bool(std::uint64_t bytesDone)> afterPiece;
};

// Whether a new file can be created in folder (made under a temporary name and removed
// at once); otherwise error says why.
bool CanCreateFiles(const std::filesystem::path& folder, std::string* error);

// Reads the entry from position 0 with ReadNext. buffer is reused between files.
[[nodiscard]] CopyOutcome CopyEntryToFile(FileEntry& entry, const CopyTask& task,
                                          std::vector<std::uint8_t>& buffer);

inline constexpr char kReplacesSourceText[] =
    "回収元のイメージファイルと同じファイルのため、置き換えません";

// Prefix of the temporary names; a leftover from an interrupted run is easy to spot.
inline constexpr char kTemporaryPrefix[] = ".vantrel-part-";

} // namespace vantrel
