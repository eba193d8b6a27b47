#pragma once

// What one salvage run recovers, where to, and what became of each entry.

#include "engine/salvage/RecoveredList.h"
#include "engine/salvage/SafeName.h"
#include "engine/settings/ScanSettings.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class FileEntry;
class ResultNode;

// Largest size a FAT directory entry records; files cut for a FAT destination get it.
inline constexpr std::uint64_t kFatFileLimit = 0xFFFFFFFFull;
// Files of this size or more ask the size-limit question on a FAT destination.
inline constexpr std::uint64_t kFatLimitQuestionSize = 0x100000000ull;

// One thing to recover: a file (with the folder node that holds it, when known) written
// straight into the destination, or a folder node recreated below the destination as a
// folder named folderName (the node's own name when empty), with its files and
// sub-folders, analysed as needed.
struct SalvageItem {
    FileEntry* file = nullptr;
    ResultNode* parent = nullptr;
    ResultNode* folder = nullptr;
    std::u16string folderName;
};

// Partial: written, but shorter than the size the file system recorded.
enum class SalvageStatus { Ok, Partial, Cut, Skipped, Failed };
// "ok", "partial", "cut", "skipped", "failed"
const char* SalvageStatusWord(SalvageStatus status);

struct SalvageOutcome {
    const FileEntry* entry = nullptr;
    const ResultNode* parent = nullptr;
    std::string relativePath; // UTF-8, relative to the destination; empty when none
    SalvageStatus status = SalvageStatus::Failed;
    std::string error; // UTF-8, for failed files
    std::string sha256;
    std::uint64_t bytesWritten = 0;
    std::uint64_t expectedSize = 0; // for partial files: the size the file system recorded
    std::uint64_t unreadBytes = 0;  // for partial files: bytes of it that were not written
};

struct SalvageSummary {
    std::uint64_t total = 0;
    std::uint64_t done = 0; // files handled, whatever their outcome
    std::uint64_t ok = 0;
    std::uint64_t partial = 0;
    std::uint64_t cut = 0;
    std::uint64_t skipped = 0;
    std::uint64_t failed = 0;
    bool stopped = false;       // job state 3 (stop requested)
    bool endedByAnswer = false; // cancel at the overwrite question, no at the failure one
    bool refused = false;       // the destination could not be used at all
    std::string refusal;
    // Folders whose analysis failed or stalled: some of their files may be missing.
    std::uint64_t foldersNotAnalysed = 0;
    bool manifestWritten = false; // the manifest was created and every line of it written
    std::string manifestError;    // why not, when one was asked for
};

struct SalvageJob {
    std::filesystem::path destination;
    // The examined device node or image file. When set, a destination on that device (or
    // inside the image, through a loop device) is refused before anything is written, and
    // no recovered file ever replaces the image itself.
    std::string sourcePath;
    // Other files the source is read from (the segments of a split image, a rescue map):
    // no recovered file ever replaces one of them either.
    std::vector<std::string> sourceCompanions;
    std::vector<SalvageItem> items;
    // The rows of a folder salvage: the files and sub-folders the file list would show
    // under these settings (deleted ones included by default, NTFS metadata left out).
    // Files and folders named in items are taken whatever the filter says.
    ScanSettings filter;
    // Write destination/manifest.jsonl (the name is then kept free of recovered files).
    bool writeManifest = false;
    // Give every file written its SHA-256 in the manifest.
    bool hashFiles = true;
    // Adds the final job state to the end line of the log.
    bool detailMode = false;
    // Whether a folder lies on a FAT file system (files limited below 4 GB); tests
    // replace it so that no FAT volume is needed.
    std::function<bool(const std::filesystem::path&)> isFatFolder;
    // The "source" text of the manifest; by default the node names from the root, the
    // file name last, joined by '/'.
    std::function<std::string(const ResultNode* parent, const FileEntry& entry)> describeSource;
    // Called on the worker thread after each file.
    std::function<void(const SalvageOutcome&)> onFileDone;
    // The FAT size rule: files of fatQuestionSize bytes or more are asked about and cut to
    // fatCutSize. Tests lower both so that no 4 GB file has to be written.
    std::uint64_t fatQuestionSize = kFatLimitQuestionSize;
    std::uint64_t fatCutSize = kFatFileLimit;
    // Bytes read and written per piece; a stop request is noticed between pieces.
    std::size_t pieceBytes = 1 << 20;

    // Filled by the run. recovered is what 0x485 points to.
    RecoveredList recovered;
    SalvageSummary summary;
};

// Node names from the root down to node, joined by '/' (UTF-8).
std::string NodePath(const ResultNode* node);

} // namespace vantrel
