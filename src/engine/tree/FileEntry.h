#pragma once

// One file found on a disk: its name, size, times, condition and where its data lies.
// Owned by the node of the folder that holds it. Viewers and salvage set readPosition
// and call ReadNext.

#include "device/DiskWindow.h"
#include "engine/tree/ExtentList.h"
#include "engine/tree/FileTime.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// Reads a file's bytes by other means than its raw sectors (compressed NTFS data).
class FileDataSource {
public:
    virtual ~FileDataSource() = default;
    [[nodiscard]] virtual bool Read(std::uint64_t offset, void* destination,
                                    std::size_t length) = 0;
};

// FileEntry::entryId when the directory entry that describes a file is not known.
inline constexpr std::uint64_t kNoEntryId = ~std::uint64_t{0};
// Set in the entryId of NTFS files, whose ids are record numbers, so that they never
// equal a byte address.
inline constexpr std::uint64_t kNtfsEntryIdTag = std::uint64_t{1} << 63;

class FileEntry {
public:
    FileEntry() = default;
    virtual ~FileEntry() = default;
    FileEntry(const FileEntry&) = delete;
    FileEntry& operator=(const FileEntry&) = delete;

    // Reads length bytes at readPosition and advances it. Fails as a whole (readPosition
    // unchanged) when length is 0, the range passes the size or the extents, or a sector
    // cannot be read.
    [[nodiscard]] virtual bool ReadNext(void* destination, std::size_t length);

    // First step of every fill: frees resident data, clears every field, sets condition 4
    // and takes the window's sector size (failing without a usable capacity).
    bool AttachToWindow(CDiskWindow* dataWindow);
    // A file found by its content: one run of ceil(size / sector size) sectors; deleted,
    // times are now, rated 3 (0 when empty).
    bool FillCarved(CDiskWindow* dataWindow, std::uint64_t startLba, std::uint64_t fileSize,
                    std::u16string fileName);

    // The stored key (MFT record number) when non-zero, else the first LBA of the data.
    std::uint64_t Key() const { return key != 0 ? key : extents.FirstLba(); }
    // Bytes of the recorded size that cannot be read.
    std::uint64_t MissingBytes() const { return recordedSize > size ? recordedSize - size : 0; }

    bool deleted = false;
    bool doubtful = false; // the extent was reconstructed or does not match the size
    int condition = 4;     // FileCondition
    std::u16string name;
    FileTime accessTime;
    FileTime modifyTime;
    FileTime createTime;
    CDiskWindow* window = nullptr; // not owned
    std::uint64_t key = 0;
    // The on-disk entry that describes the file, so that the same entry met twice (by a
    // scan and under its folder) is recognised, deleted and empty files included: the
    // window byte address of a FAT short entry, or the MFT record number with
    // kNtfsEntryIdTag. kNoEntryId for carved files.
    std::uint64_t entryId = kNoEntryId;
    std::optional<std::vector<std::uint8_t>> residentData;
    std::shared_ptr<FileDataSource> dataSource;
    ExtentList extents;
    std::uint64_t size = 0;
    // The size the file system recorded when only part of it (size bytes) could be
    // located, say past the end of a cut image; 0 when size is the whole file.
    std::uint64_t recordedSize = 0;
    std::uint32_t sectorSize = 0;
    std::uint64_t readPosition = 0;
    // Data bytes in sectors the disk could not give (areas a rescue map marks as not
    // read); set when the entry joins a node.
    std::uint64_t unreadBytes = 0;
    // A carved file: the start-sector name it was carved under. When a file system still
    // holds an entry for its data it is named after that entry, and originalFolder is the
    // display path of the entry's folder (empty when unknown).
    std::u16string carvedName;
    std::u16string originalFolder;

private:
    [[nodiscard]] bool ReadSectorsOfFile(std::uint64_t first, std::uint64_t count,
                                         std::uint8_t* out);
};

} // namespace vantrel
