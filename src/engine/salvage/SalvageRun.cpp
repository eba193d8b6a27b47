#include "engine/salvage/SalvageRun.h"

#include "engine/request/ScanLock.h"
#include "engine/salvage/SalvageWorker.h"
#include "engine/tree/FileEntry.h"
#include "engine/tree/ResultNode.h"
#include "platform/DestinationDevice.h"
#include "platform/Utf.h"

#include <algorithm>
#include <system_error>

namespace vantrel {

namespace {

// Sub-folders deeper than this are not followed (a folder entry found by a scan may
// point back up the tree).
constexpr int kMaxFolderDepth = 130;
// An analysis step that keeps returning the same position makes no progress.
constexpr int kMaxStepsWithoutProgress = 16;
constexpr auto kProgressInterval = std::chrono::milliseconds(50);

std::string ConflictText(DestinationConflict conflict) {
    switch (conflict) {
    case DestinationConflict::SameDevice:
        return "回収先が回収元のデバイス上にあります。別のドライブを指定してください";
    case DestinationConflict::PartitionOfSource:
        return "回収先が回収元のディスクのパーティション上にあります。別のドライブを指定してくださ"
               "い";
    case DestinationConflict::ContainsSource:
        return "回収先が回収元のパーティションを含むディスク上にあります。別のドライブを指定してく"
               "ださい";
    case DestinationConflict::InsideSourceImage:
        return "回収先が回収元のイメージファイルの中にあります（ループデバイスでマウントされていま"
               "す）。別のドライブを指定してください";
    case DestinationConflict::Unknown:
        return "回収先または回収元を確認できませんでした";
    case DestinationConflict::None:
        break;
    }
    return {};
}

} // namespace

SalvageRun::SalvageRun(TreeItemRecord& record, SalvageJob& job)
    : record_(record), job_(job), filter_(job.filter) {
    if (const ResultNode* node = record.Node())
        logTarget_ = node->Name();
}

SalvageRun::~SalvageRun() {
    WaitShown(); // the window may still hold them
}

bool SalvageRun::Stop() {
    if (!ended_ && record_.StopRequested()) {
        ended_ = true;
        job_.summary.stopped = true;
    }
    return job_.summary.stopped;
}

void SalvageRun::Log(const std::string& text) {
    LogFor(logTarget_, FromUtf8(text));
}

void SalvageRun::LogFor(const std::u16string& target, const std::u16string& text) {
    WaitShown();
    if (RequestSink* sink = record_.Sink())
        PostLogLine(*sink, record_.TreeWindow(), target, text);
}

void SalvageRun::PostWaiting(std::uint32_t message, std::uint64_t value, void* pointer,
                             std::u16string text) {
    WaitShown();
    RequestSink* sink = record_.Sink();
    if (!sink)
        return;
    UiRequest request(record_.TreeWindow(), message);
    request.value = value;
    request.pointer = pointer;
    request.text = std::move(text);
    PostAndWait(*sink, request);
}

// A request the run waited for cost a round trip through the window's event loop, twice
// per file: with thousands of small files that took several times the copying itself.
void SalvageRun::PostShown(std::uint32_t message, std::uint64_t value, void* pointer,
                           std::u16string text, std::vector<std::int64_t> integers) {
    RequestSink* sink = record_.Sink();
    if (!sink)
        return;
    while (!shown_.empty() &&
           (shown_.size() >= kSalvageShownAhead || shown_.front()->PendingCount() == 0)) {
        shown_.front()->WaitUntilComplete();
        shown_.pop_front();
    }
    auto request = std::make_unique<UiRequest>(record_.TreeWindow(), message, 1, true);
    request->value = value;
    request->pointer = pointer;
    request->text = std::move(text);
    request->integers = std::move(integers);
    if (PostRequest(*sink, request.get()))
        shown_.push_back(std::move(request));
}

void SalvageRun::WaitShown() {
    for (const auto& request : shown_)
        request->WaitUntilComplete();
    shown_.clear();
}

void SalvageRun::PostProgress(std::uint64_t bytesDone, bool force) {
    RequestSink* sink = record_.Sink();
    const auto now = std::chrono::steady_clock::now();
    if (!sink || (!force && now - lastProgress_ < kProgressInterval))
        return;
    lastProgress_ = now;
    auto request = std::make_unique<UiRequest>(record_.TreeWindow(), msg::kSalvageFileProgress);
    request->value = bytesDone;
    PostAndForget(*sink, std::move(request));
}

int SalvageRun::Run() {
    record_.SetJobState(kJobRunning);
    Log("回収を開始しました");
    Log("回収先: " + job_.destination.string());
    PostWaiting(msg::kShowScreen, msg::kScreenSalvage, nullptr);

    std::uint64_t total = 0;
    if (PrepareDestination() && CountItems(&total) && OpenManifest()) {
        job_.summary.total = total;
        PostWaiting(msg::kSalvageStart, total, nullptr);
        FolderNamer top = NamerFor(job_.destination, true);
        for (const SalvageItem& item : job_.items) {
            if (ended_)
                break;
            if (item.file) {
                RecoverFile(*item.file, item.parent, job_.destination, top, {});
            } else if (item.folder) {
                const std::u16string& name =
                    item.folderName.empty() ? item.folder->Name() : item.folderName;
                RecoverFolder(*item.folder, job_.destination / top.Assign(name), 0);
            }
        }
        if (manifest_.IsOpen()) {
            if (manifest_.Close())
                job_.summary.manifestWritten = job_.summary.manifestError.empty();
            else
                ManifestFailed("閉じるときにエラーが起きました");
        }
    }

    const SalvageSummary& s = job_.summary;
    if (s.stopped)
        Log("回収を中止しました");
    const bool completed = !s.stopped && !s.endedByAnswer && !s.refused;
    record_.ChangeJobState(kJobRunning, completed ? kJobDone : kJobFailed);
    const int state = record_.GetJobState();
    Log("回収したファイル: " + std::to_string(s.ok + s.partial + s.cut) + " / " +
        std::to_string(s.total) + "（完全 " + std::to_string(s.ok) + "、一部のみ " +
        std::to_string(s.partial) + "、切り詰め " + std::to_string(s.cut) + "、スキップ " +
        std::to_string(s.skipped) + "、失敗 " + std::to_string(s.failed) + "）");
    std::string endLine = "回収は終了しました";
    if (job_.detailMode)
        endLine += "(" + ToUtf8(JobStateWord(state)) + ")";
    Log(endLine);
    PostWaiting(msg::kSalvageEnd, static_cast<std::uint64_t>(state), &job_.summary);
    PostWaiting(msg::kShowScreen, msg::kScreenBrowse, nullptr);
    if (RequestSink* sink = record_.Sink()) {
        auto finished = std::make_unique<UiRequest>(record_.TreeWindow(), msg::kScanFinished);
        finished->pointer = &record_;
        PostAndForget(*sink, std::move(finished));
    }
    return state == kJobDone ? kWorkerExitDone : kWorkerExitFailed;
}

bool SalvageRun::PrepareDestination() {
    if (!job_.sourcePath.empty()) {
        const DestinationConflict conflict =
            CheckDestination(job_.sourcePath, job_.destination.string());
        if (conflict != DestinationConflict::None)
            return Refuse(ConflictText(conflict));
        sourceFiles_ = SourceFiles(job_.sourcePath);
        for (const std::string& companion : job_.sourceCompanions)
            for (const FileIdentity& file : SourceFiles(companion))
                sourceFiles_.push_back(file);
    }
    std::error_code error;
    std::filesystem::create_directories(job_.destination, error);
    if (!std::filesystem::is_directory(job_.destination))
        return Refuse("回収先のフォルダを作成できませんでした（" +
                      (error ? error.message() : std::string("フォルダではありません")) +
                      "）: " + job_.destination.string());
    // Files are only ever created, never opened for writing: a file made and removed at
    // once shows whether anything can be written here (read-only mounts, permissions).
    std::string probeError;
    if (!CanCreateFiles(job_.destination.string(), &probeError))
        return Refuse("回収先のフォルダに書き込めません（" + probeError +
                      "）: " + job_.destination.string());
    if (job_.writeManifest && IsSourceFile(job_.destination / kManifestName))
        return Refuse(std::string("回収元のイメージファイルを置き換えることになるため、") +
                      kManifestName +
                      " を書けません: " + (job_.destination / kManifestName).string());
    return true;
}

// Nothing is recovered without its record: a manifest that cannot be added to (a folder
// or a link under its name, no permission) stops the run before the first file, and is
// left as it is.
bool SalvageRun::OpenManifest() {
    if (!job_.writeManifest || manifest_.Open(job_.destination.string()))
        return true;
    return Refuse(std::string("回収先の ") + kManifestName + " に書き足せません（" +
                  manifest_.ErrorText() + "）: " + (job_.destination / kManifestName).string());
}

void SalvageRun::ManifestFailed(const std::string& what) {
    if (!job_.summary.manifestError.empty())
        return; // one line is enough; later lines are not written either
    job_.summary.manifestError =
        std::string(kManifestName) + " を" + what + "（" + manifest_.ErrorText() + "）";
    Log(job_.summary.manifestError);
}

bool SalvageRun::Refuse(const std::string& reason) {
    job_.summary.refused = true;
    job_.summary.refusal = reason;
    Log(reason);
    return false;
}

bool SalvageRun::IsSourceFile(const std::filesystem::path& path) const {
    FileIdentity identity;
    return IdentifyFile(path.string(), &identity) &&
           std::find(sourceFiles_.begin(), sourceFiles_.end(), identity) != sourceFiles_.end();
}

bool SalvageRun::IncludedFile(const FileEntry& file) const {
    FilterRow row;
    row.name = file.name;
    row.size = file.size;
    row.deleted = file.deleted;
    row.condition = file.condition;
    row.modifyTime = file.modifyTime;
    return filter_.Passes(row);
}

bool SalvageRun::IncludedFolder(const ResultNode& folder, int depth) const {
    if (!filter_.PassesFolder(folder.Name(), folder.IsDeleted(), folder.IsScanTarget()))
        return false;
    if (depth >= kMaxFolderDepth)
        return false;
    const std::uint64_t key = folder.Key();
    return key == ~std::uint64_t{0} || !AncestorHasKey(folder, key);
}

bool SalvageRun::AnalyseNode(ResultNode& node) {
    if (node.IsAnalysed())
        return true;
    LogFor(node.Name(), u"解析をしています");
    StepResult last = kStepFailed;
    int stuck = 0;
    for (;;) {
        if (Stop())
            return false;
        StepResult step;
        {
            std::lock_guard lock(ScanLock());
            step = node.AnalyseStep();
        }
        if (step == kStepComplete || step == kStepFailed || ++stuck > kMaxStepsWithoutProgress) {
            node.SetAnalysed(true);
            if (step != kStepComplete) {
                ++job_.summary.foldersNotAnalysed;
                LogFor(node.Name(), u"解析に失敗しました");
                Log("フォルダを最後まで解析できませんでした: " + NodePath(&node) +
                    (step == kStepFailed ? "（ディスクを読めないか、フォルダの構造が壊れています）"
                                         : "（解析が先に進まなくなりました）") +
                    "。このフォルダのファイルは一部しか回収されないことがあります");
            }
            return true;
        }
        if (step != last)
            stuck = 0;
        last = step;
    }
}

bool SalvageRun::CountFolder(ResultNode& node, int depth, std::uint64_t* total) {
    if (!AnalyseNode(node))
        return false;
    for (const auto& file : node.Files())
        if (file && IncludedFile(*file))
            ++*total;
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
        ResultNode* child = node.Child(i);
        if (child && IncludedFolder(*child, depth + 1) && !CountFolder(*child, depth + 1, total))
            return false;
    }
    return true;
}

bool SalvageRun::CountItems(std::uint64_t* total) {
    *total = 0;
    for (const SalvageItem& item : job_.items) {
        if (item.file)
            ++*total;
        else if (item.folder && !CountFolder(*item.folder, 0, total))
            return false;
    }
    return true;
}

bool SalvageRun::IsFat(const std::filesystem::path& folder) {
    const auto known = fatFolders_.find(folder);
    if (known != fatFolders_.end())
        return known->second;
    const bool fat = job_.isFatFolder ? job_.isFatFolder(folder) : IsFatFileSystem(folder.string());
    fatFolders_.emplace(folder, fat);
    return fat;
}

FolderNamer SalvageRun::NamerFor(const std::filesystem::path& folder, bool topLevel) {
    SafeNameOptions options;
    options.windowsRules = IsFat(folder);
    std::vector<std::string> reserved;
    if (topLevel && job_.writeManifest)
        reserved.push_back(kManifestName);
    return FolderNamer(options, std::move(reserved));
}

std::string SalvageRun::EnsureFolder(const std::filesystem::path& folder) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(folder, error);
    if (std::filesystem::is_directory(status))
        return {};
    if (std::filesystem::exists(status))
        // A link could lead outside the destination; a file cannot hold files.
        return "同じ名前のフォルダ以外のものがあるため、フォルダを作成できませんでした: " +
               folder.filename().string();
    if (!std::filesystem::create_directory(folder, error))
        return "フォルダを作成できませんでした（" + error.message() +
               "）: " + folder.filename().string();
    return {};
}

void SalvageRun::RecoverFolder(ResultNode& node, const std::filesystem::path& folder, int depth) {
    if (ended_)
        return;
    const std::string folderError = EnsureFolder(folder);
    if (!folderError.empty())
        Log(folderError);
    FolderNamer namer = NamerFor(folder, false);
    for (const auto& file : node.Files()) {
        if (ended_)
            return;
        if (file && IncludedFile(*file))
            RecoverFile(*file, &node, folder, namer, folderError);
    }
    for (std::size_t i = 0; i < node.ChildCount() && !ended_; ++i) {
        ResultNode* child = node.Child(i);
        if (!child || !IncludedFolder(*child, depth + 1))
            continue;
        // Below a folder that could not be created every file fails with its own line.
        RecoverFolder(*child, folder / namer.Assign(child->Name()), depth + 1);
    }
}

} // namespace vantrel
