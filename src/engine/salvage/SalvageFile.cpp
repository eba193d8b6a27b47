// One file of a salvage run: its name, the questions, the copy and what is reported.

#include "engine/salvage/QuestionText.h"
#include "engine/salvage/SalvageRun.h"
#include "engine/tree/FileEntry.h"
#include "engine/tree/ResultNode.h"
#include "platform/Utf.h"

#include <algorithm>
#include <system_error>

namespace vantrel {

namespace {

std::string RelativeUtf8(const std::filesystem::path& path, const std::filesystem::path& base) {
    return path.lexically_relative(base).generic_string();
}

} // namespace

int SalvageRun::Ask(std::uint32_t message, FileEntry& entry, const std::u16string& text) {
    WaitShown();
    RequestSink* sink = record_.Sink();
    if (!sink)
        return msg::kAnswerNone;
    UiRequest question(record_.TreeWindow(), message);
    question.results = {msg::kAnswerNone};
    question.pointer = &entry;
    question.text = text;
    if (!PostAndWait(*sink, question))
        return msg::kAnswerNone;
    return question.Answer();
}

bool SalvageRun::DecideOverwrite(FileEntry& entry, const std::filesystem::path& finalPath,
                                 SalvageOutcome* outcome, bool* replace) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(finalPath, error);
    *replace = false;
    if (!std::filesystem::exists(status))
        return true;
    if (std::filesystem::is_directory(status)) {
        outcome->status = SalvageStatus::Failed;
        outcome->error = "同じ名前のフォルダがあるため書き込めません";
        return false;
    }
    if (IsSourceFile(finalPath)) {
        // Whatever the answer to the overwrite question would be.
        outcome->status = SalvageStatus::Failed;
        outcome->error = kReplacesSourceText;
        return false;
    }
    *replace = true;
    if (overwriteAll_)
        return true;
    switch (Ask(msg::kAskOverwrite, entry, FromUtf8(finalPath.string()))) {
    case msg::kAnswerYes:
        return true;
    case msg::kAnswerYesToAll:
        overwriteAll_ = true;
        return true;
    case msg::kAnswerNo:
        outcome->status = SalvageStatus::Skipped;
        Log("上書きしませんでした: " + outcome->relativePath);
        return false;
    default:
        // Cancel, or no answer at all: end the run; the files written so far stay.
        outcome->status = SalvageStatus::Skipped;
        ended_ = true;
        job_.summary.endedByAnswer = true;
        Log("回収を終了しました（上書きの確認でキャンセル）");
        return false;
    }
}

bool SalvageRun::DecideSizeLimit(FileEntry& entry, const std::filesystem::path& folder,
                                 SalvageOutcome* outcome, std::uint64_t* byteCount) {
    *byteCount = entry.size;
    if (entry.size < job_.fatQuestionSize || !IsFat(folder))
        return true;
    int answer = msg::kAnswerYesToAll;
    if (!cutAll_)
        answer = Ask(msg::kAskSizeLimit, entry, FromUtf8(folder.string()));
    if (answer == msg::kAnswerYesToAll)
        cutAll_ = true;
    if (answer == msg::kAnswerYes || answer == msg::kAnswerYesToAll) {
        *byteCount = std::min(entry.size, job_.fatCutSize);
        return true;
    }
    // No (or no answer: cutting data is never done unasked).
    outcome->status = SalvageStatus::Skipped;
    Log("4GB以上のファイルのため回収しませんでした: " + outcome->relativePath);
    return false;
}

void SalvageRun::AfterFailure(FileEntry& entry, const SalvageOutcome& outcome) {
    Log("ファイルの回収に失敗しました: " + outcome.relativePath + "（" + outcome.error + "）");
    if (ignoreAllFailures_ || ended_)
        return;
    switch (Ask(msg::kAskContinueAfterFailure, entry, FromUtf8(outcome.error))) {
    case msg::kAnswerYes:
        return;
    case msg::kAnswerYesToAll:
        ignoreAllFailures_ = true;
        return;
    default:
        ended_ = true;
        job_.summary.endedByAnswer = true;
        Log("回収を終了しました（失敗したファイルで終了）");
        return;
    }
}

void SalvageRun::RecoverFile(FileEntry& entry, const ResultNode* parent,
                             const std::filesystem::path& folder, FolderNamer& namer,
                             const std::string& folderError) {
    if (ended_ || Stop())
        return;
    const std::string name = namer.Assign(entry.name);
    SalvageOutcome outcome;
    outcome.entry = &entry;
    outcome.parent = parent;
    outcome.relativePath = RelativeUtf8(folder / name, job_.destination);

    bool replace = false;
    std::uint64_t byteCount = 0;
    if (!folderError.empty()) {
        outcome.status = SalvageStatus::Failed;
        outcome.error = folderError;
    } else if (DecideOverwrite(entry, folder / name, &outcome, &replace) &&
               DecideSizeLimit(entry, folder, &outcome, &byteCount)) {
        PostShown(msg::kSalvageFileStart, entry.size, &entry, entry.name);
        CopyTask task;
        task.folder = folder;
        task.finalName = name;
        task.byteCount = byteCount;
        task.replaceExisting = replace;
        task.pieceBytes = job_.pieceBytes;
        task.hash = job_.hashFiles;
        task.mayReplace = [this](const std::filesystem::path& path) { return !IsSourceFile(path); };
        task.afterPiece = [this](std::uint64_t done) {
            PostProgress(done, false);
            return !Stop();
        };
        const CopyOutcome copy = CopyEntryToFile(entry, task, buffer_);
        PostProgress(copy.bytesWritten, true);
        outcome.bytesWritten = copy.bytesWritten;
        if (copy.result == CopyResult::Done) {
            if (!copy.warning.empty())
                Log(copy.warning + ": " + outcome.relativePath);
            outcome.sha256 = copy.sha256;
            outcome.status = byteCount < entry.size ? SalvageStatus::Cut : SalvageStatus::Ok;
            if (outcome.status == SalvageStatus::Cut)
                Log("4GBに切り詰めて回収しました: " + outcome.relativePath);
            // Zero-filled holes (sectors never read) and data beyond the disk both make
            // the file partial; the manifest counts both as unread.
            if (outcome.status == SalvageStatus::Ok &&
                (copy.zeroFilledBytes > 0 || entry.MissingBytes() > 0)) {
                outcome.status = SalvageStatus::Partial;
                outcome.expectedSize = entry.MissingBytes() > 0 ? entry.recordedSize : entry.size;
                outcome.unreadBytes = copy.zeroFilledBytes + entry.MissingBytes();
                if (copy.zeroFilledBytes > 0)
                    Log("一部だけ回収しました: " + outcome.relativePath + "（" +
                        std::to_string(copy.zeroFilledBytes) +
                        " バイトは読めなかった領域にあるため 0 で埋めました）");
                if (entry.MissingBytes() > 0)
                    Log("一部だけ回収しました: " + outcome.relativePath + "（記録されたサイズ " +
                        std::to_string(outcome.expectedSize) + " バイトのうち " +
                        std::to_string(entry.MissingBytes()) +
                        " バイトは、データがディスクの範囲外にあるかたどれないため書き込めませんで"
                        "した"
                        "）");
            }
            job_.recovered.Add(&entry);
        } else {
            outcome.status = SalvageStatus::Failed;
            outcome.error = copy.error;
        }
    }
    Finish(std::move(outcome), entry);
}

void SalvageRun::Finish(SalvageOutcome outcome, FileEntry& entry) {
    SalvageSummary& summary = job_.summary;
    ++summary.done;
    switch (outcome.status) {
    case SalvageStatus::Ok:
        ++summary.ok;
        break;
    case SalvageStatus::Partial:
        ++summary.partial;
        break;
    case SalvageStatus::Cut:
        ++summary.cut;
        break;
    case SalvageStatus::Skipped:
        ++summary.skipped;
        break;
    case SalvageStatus::Failed:
        ++summary.failed;
        break;
    }
    // After a failed line the manifest is incomplete anyway; later lines would only hide it.
    if (manifest_.IsOpen() && job_.summary.manifestError.empty()) {
        ManifestRecord record;
        record.path = outcome.relativePath;
        record.source = job_.describeSource
                            ? job_.describeSource(outcome.parent, entry)
                            : (outcome.parent ? NodePath(outcome.parent) + "/" : std::string{}) +
                                  ToUtf8(entry.name);
        record.size = entry.size;
        record.condition = entry.condition;
        record.deleted = entry.deleted;
        record.status = SalvageStatusWord(outcome.status);
        record.error = outcome.error;
        record.sha256 = outcome.sha256;
        record.expectedSize = outcome.expectedSize;
        record.unreadBytes = outcome.unreadBytes;
        record.carvedName = ToUtf8(entry.carvedName);
        record.originalFolder = ToUtf8(entry.originalFolder);
        if (!manifest_.Append(record))
            ManifestFailed("書き込めませんでした");
    }
    if (job_.onFileDone)
        job_.onFileDone(outcome);
    PostShown(msg::kSalvageRecovered, summary.done, &job_.recovered, {},
              {static_cast<std::int64_t>(job_.recovered.Size())});
    if (outcome.status == SalvageStatus::Failed && !summary.stopped)
        AfterFailure(entry, outcome);
}

} // namespace vantrel
