#pragma once

// One salvage run: the walk over the job's items, the questions and the run switches.
// Used by SalvageWorker; kept apart so that each piece stays small.

#include "engine/request/TreeItemRecord.h"
#include "engine/salvage/FileCopier.h"
#include "engine/salvage/Manifest.h"
#include "engine/salvage/SafeName.h"
#include "engine/salvage/SalvageJob.h"
#include "engine/settings/RowFilter.h"
#include "platform/DestinationDevice.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class SalvageRun {
public:
    SalvageRun(TreeItemRecord& record, SalvageJob& job);
    ~SalvageRun();
    SalvageRun(const SalvageRun&) = delete;
    SalvageRun& operator=(const SalvageRun&) = delete;
    // Returns the worker's exit code.
    int Run();

private:
    // Walking.
    bool PrepareDestination();
    bool Refuse(const std::string& reason);
    bool OpenManifest();
    void ManifestFailed(const std::string& what);
    // Whether path is the examined image file (or the file behind the examined loop
    // device) under any of its names.
    bool IsSourceFile(const std::filesystem::path& path) const;
    bool CountItems(std::uint64_t* total);
    bool CountFolder(ResultNode& node, int depth, std::uint64_t* total);
    bool AnalyseNode(ResultNode& node);
    bool IncludedFile(const FileEntry& file) const;
    bool IncludedFolder(const ResultNode& folder, int depth) const;
    void RecoverFolder(ResultNode& node, const std::filesystem::path& folder, int depth);
    void RecoverFile(FileEntry& entry, const ResultNode* parent,
                     const std::filesystem::path& folder, FolderNamer& namer,
                     const std::string& folderError);
    std::string EnsureFolder(const std::filesystem::path& folder);
    bool IsFat(const std::filesystem::path& folder);
    FolderNamer NamerFor(const std::filesystem::path& folder, bool topLevel);

    // Questions: the answer, or -1 when nobody answered.
    int Ask(std::uint32_t message, FileEntry& entry, const std::u16string& text);
    bool DecideOverwrite(FileEntry& entry, const std::filesystem::path& finalPath,
                         SalvageOutcome* outcome, bool* replace);
    bool DecideSizeLimit(FileEntry& entry, const std::filesystem::path& folder,
                         SalvageOutcome* outcome, std::uint64_t* byteCount);
    void AfterFailure(FileEntry& entry, const SalvageOutcome& outcome);
    void Finish(SalvageOutcome outcome, FileEntry& entry);

    // Posting.
    void Log(const std::string& text);
    void LogFor(const std::u16string& target, const std::u16string& text);
    void PostWaiting(std::uint32_t message, std::uint64_t value, void* pointer,
                     std::u16string text = {});
    // 0x482 and 0x485 are posted ahead: the run goes on while the window shows them, up
    // to kSalvageShownAhead at a time. Anything the run waits for (a log line, a question, the
    // end) first waits for them, so the window is never further behind than that.
    void PostShown(std::uint32_t message, std::uint64_t value, void* pointer,
                   std::u16string text = {}, std::vector<std::int64_t> integers = {});
    void WaitShown();
    void PostProgress(std::uint64_t bytesDone, bool force);
    bool Stop();

    TreeItemRecord& record_;
    SalvageJob& job_;
    std::u16string logTarget_;
    const RowFilter filter_;

    // Run switches, set by the "all" answers; they last for this run only.
    bool overwriteAll_ = false;
    bool ignoreAllFailures_ = false;
    bool cutAll_ = false;
    bool ended_ = false;

    std::vector<FileIdentity> sourceFiles_;
    ManifestWriter manifest_;
    std::vector<std::uint8_t> buffer_;
    std::map<std::filesystem::path, bool> fatFolders_;
    std::chrono::steady_clock::time_point lastProgress_{};
    // Posted ahead and not yet known to be handled, oldest first; owned here until then.
    std::deque<std::unique_ptr<UiRequest>> shown_;
};

} // namespace vantrel
