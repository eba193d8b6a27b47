#include "engine/salvage/FileCopier.h"

#include "engine/salvage/PipelinedHash.h"
#include "engine/tree/FileEntry.h"
#include "platform/OutputFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>

namespace vantrel {

namespace {

constexpr int kTemporaryAttempts = 1000;
// Written bytes between two starts of their writeback.
constexpr std::uint64_t kWritebackBytes = 8 << 20;

std::atomic<std::uint64_t> temporarySequence{0};

std::string WriteError(int error) {
    if (IsNoSpaceError(error))
        return "書き込み先の空き容量が不足しています（" + ErrnoText(error) + "）";
    return "書き込みに失敗しました（" + ErrnoText(error) + "）";
}

// Creates a fresh temporary file in folder; leftovers of earlier runs are skipped.
bool CreateTemporary(const std::filesystem::path& folder, OutputFile& file, std::string* path,
                     std::string* error) {
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        *path = (folder / (kTemporaryPrefix + std::to_string(++temporarySequence))).string();
        if (file.Create(*path))
            return true;
        if (file.LastErrno() != EEXIST)
            break;
    }
    *error = "ファイルを作成できませんでした（" + ErrnoText(file.LastErrno()) + "）";
    return false;
}

} // namespace

bool CanCreateFiles(const std::filesystem::path& folder, std::string* error) {
    OutputFile file;
    std::string path;
    if (!CreateTemporary(folder, file, &path, error)) {
        *error = ErrnoText(file.LastErrno());
        return false;
    }
    const bool closed = file.Close();
    RemoveFile(path);
    if (!closed)
        *error = ErrnoText(file.LastErrno());
    return closed;
}

// A piece of a file known to lie partly where the disk was never read (its rescue map's
// holes): every sector that reads is kept, the others become zeros, as a bad sector does
// in a scan. Returns the bytes zero-filled.
namespace {

std::uint64_t ReadSectorBySector(FileEntry& entry, std::uint64_t position, std::uint8_t* out,
                                 std::size_t length) {
    const std::uint64_t sector = std::max<std::uint32_t>(entry.sectorSize, 512);
    std::uint64_t zeroed = 0;
    for (std::size_t offset = 0; offset < length;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::uint64_t>(sector - (position + offset) % sector, length - offset));
        entry.readPosition = position + offset;
        if (!entry.ReadNext(out + offset, n)) {
            std::memset(out + offset, 0, n);
            zeroed += n;
        }
        offset += n;
    }
    entry.readPosition = position + length;
    return zeroed;
}

} // namespace

CopyOutcome CopyEntryToFile(FileEntry& entry, const CopyTask& task,
                            std::vector<std::uint8_t>& buffer) {
    CopyOutcome outcome;
    OutputFile file;
    std::string temporary;
    if (!CreateTemporary(task.folder, file, &temporary, &outcome.error))
        return outcome;

    auto abandon = [&](CopyResult result, std::string error) {
        (void)file.Close(); // the file is removed; the error that matters is already known
        RemoveFile(temporary);
        outcome.result = result;
        outcome.error = std::move(error);
        outcome.sha256.clear();
        return outcome;
    };

    const std::size_t piece = std::max<std::size_t>(task.pieceBytes, 512);
    std::optional<PipelinedHash> hash;
    if (task.hash)
        hash.emplace(task.byteCount, piece, buffer);
    else if (buffer.size() < piece)
        buffer.resize(piece);
    entry.readPosition = 0;
    std::uint64_t done = 0;
    while (done < task.byteCount) {
        std::uint8_t* data = hash ? hash->NextBuffer() : buffer.data();
        const auto length =
            static_cast<std::size_t>(std::min<std::uint64_t>(piece, task.byteCount - done));
        if (!entry.ReadNext(data, length)) {
            if (entry.unreadBytes == 0)
                return abandon(CopyResult::Failed, "データを読み込めませんでした（" +
                                                       std::to_string(done) + " バイト目から）");
            outcome.zeroFilledBytes += ReadSectorBySector(entry, done, data, length);
        }
        // Hashed while it is written: both only read the buffer.
        if (hash)
            hash->Add(length);
        if (!file.Write(data, length))
            return abandon(CopyResult::Failed, WriteError(file.LastErrno()));
        done += length;
        outcome.bytesWritten = done;
        if (done / kWritebackBytes != (done - length) / kWritebackBytes)
            file.StartWriteback();
        if (task.afterPiece && !task.afterPiece(done))
            return abandon(CopyResult::Stopped, "回収を中止しました");
    }
    // On the disk before it gets its final name, so that a power loss never leaves a
    // complete-looking name over missing data.
    if (!file.Sync())
        return abandon(CopyResult::Failed, WriteError(file.LastErrno()));
    // Times are set last: any write after them would change the modification time.
    if (!file.SetTimes(entry.accessTime, entry.modifyTime))
        outcome.warning = "更新日時を設定できませんでした（" + ErrnoText(file.LastErrno()) + "）";
    if (!file.Close())
        return abandon(CopyResult::Failed, WriteError(file.LastErrno()));

    const std::string finalPath = (task.folder / task.finalName).string();
    if (task.replaceExisting && task.mayReplace && !task.mayReplace(finalPath))
        return abandon(CopyResult::Failed, kReplacesSourceText);
    int renameError = 0;
    if (!RenamePath(temporary, finalPath, task.replaceExisting, &renameError)) {
        RemoveFile(temporary);
        outcome.error = renameError == EEXIST
                            ? "同じ名前のファイルが回収中に作られました"
                            : "ファイル名を付けられませんでした（" + ErrnoText(renameError) + "）";
        return outcome;
    }
    // The rename itself is on the disk only once the folder is.
    int syncError = 0;
    if (!SyncFolder(task.folder.string(), &syncError))
        outcome.warning =
            "フォルダをディスクに書き出せませんでした（" + ErrnoText(syncError) + "）";
    outcome.result = CopyResult::Done;
    if (hash)
        outcome.sha256 = hash->FinishHex();
    return outcome;
}

} // namespace vantrel
