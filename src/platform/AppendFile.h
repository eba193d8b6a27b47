#pragma once

// Adding lines to a record file that earlier runs wrote (the salvage manifest): the
// bytes already there are never rewritten, and an append that fails is cut back off, so
// the file only ever grows by whole pieces.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// Open's own refusals, beside errno values.
inline constexpr int kNotARegularFile = -1;
inline constexpr int kHasOtherLinks = -2;

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile(); // closes without reporting; call Close to learn about late errors
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens path for adding to its end, creating it when missing. Never follows a
    // symbolic link (ELOOP), and refuses anything but a regular file and a file with
    // other hard links, which would carry the writes elsewhere. Holds an exclusive lock
    // while open, so two runs never write into one another's lines (EWOULDBLOCK).
    [[nodiscard]] bool Open(const std::string& path);
    bool Created() const { return created_; }
    std::uint64_t Size() const { return size_; }
    // The file's last byte; false when it is empty or cannot be read.
    [[nodiscard]] bool LastByte(char* byte);
    // Adds all size bytes at the end; when that fails, whatever part was written is
    // removed again.
    [[nodiscard]] bool Append(const void* data, std::size_t size);
    // Waits until the data is on the disk (fsync).
    [[nodiscard]] bool Sync();
    [[nodiscard]] bool Close();
    bool IsOpen() const { return fd_ >= 0; }
    int LastErrno() const { return lastErrno_; }

private:
    bool Refuse(int error);

    int fd_ = -1;
    int lastErrno_ = 0;
    bool created_ = false;
    std::uint64_t size_ = 0;
};

} // namespace vantrel
