#pragma once

// Writing recovered files: a new file created exclusively (never through a symbolic
// link), written in full, given its times, and renamed into place. Errors are kept as
// errno values so the caller can say what went wrong (a full disk above all).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile(); // closes without reporting; call Close to learn about late errors
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode 0644 (less the umask).
    [[nodiscard]] bool Create(const std::string& path);
    // Writes all size bytes, retrying interrupted and short writes.
    [[nodiscard]] bool Write(const void* data, std::size_t size);
    // Access and modification times in seconds since 1970; an unknown one is left alone.
    [[nodiscard]] bool SetTimes(std::optional<std::int64_t> accessTime,
                                std::optional<std::int64_t> modifyTime);
    // Starts writing the bytes written so far to the disk without waiting (a hint: only
    // Sync says whether they got there), so that the final Sync has less left to wait
    // for and a large file never piles up in memory unwritten.
    void StartWriteback();
    // Waits until the data is on the disk (fsync).
    [[nodiscard]] bool Sync();
    // Closes; false when the file system reported a late error (full disk on some).
    [[nodiscard]] bool Close();
    bool IsOpen() const { return fd_ >= 0; }
    int LastErrno() const { return lastErrno_; }

private:
    int fd_ = -1;
    int lastErrno_ = 0;
};

// Renames from to to. Without replace an existing to is kept and the call fails with
// EEXIST. The last component of to is never followed if it is a symbolic link.
[[nodiscard]] bool RenamePath(const std::string& from, const std::string& to, bool replace,
                              int* error);
// Waits until the folder's entries (a rename into it) are on the disk; error gets errno.
[[nodiscard]] bool SyncFolder(const std::string& path, int* error);
// Size and modification time of an existing file, as the file system reports them
// (following links); false when it cannot be examined.
[[nodiscard]] bool ExistingFileInfo(const std::string& path, std::uint64_t* size,
                                    std::int64_t* modifyTime);
// Removes a file (not a folder); true when it is gone.
bool RemoveFile(const std::string& path);
// The system's text for an errno value.
std::string ErrnoText(int error);
bool IsNoSpaceError(int error);

} // namespace vantrel
