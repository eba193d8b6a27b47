#include "engine/tree/FileEntry.h"

#include "engine/tree/FileCondition.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace vantrel {

namespace {

// Sectors per ReadSectorsPiecewise call; keeps the 32-bit sector count in range.
constexpr std::uint64_t kSectorsPerCall = 0x10000;

} // namespace

bool FileEntry::AttachToWindow(CDiskWindow* dataWindow) {
    residentData.reset();
    dataSource.reset();
    deleted = false;
    doubtful = false;
    condition = kConditionFair;
    name.clear();
    accessTime.reset();
    modifyTime.reset();
    createTime.reset();
    window = nullptr;
    key = 0;
    entryId = kNoEntryId;
    extents.Clear();
    size = 0;
    recordedSize = 0;
    sectorSize = 0;
    readPosition = 0;
    unreadBytes = 0;
    carvedName.clear();
    originalFolder.clear();
    if (!dataWindow)
        return false;
    std::uint64_t lastLba = 0;
    std::uint32_t windowSectorSize = 0;
    if (!dataWindow->GetCapacity(&lastLba, &windowSectorSize) || lastLba == 0 ||
        windowSectorSize == 0)
        return false;
    window = dataWindow;
    sectorSize = windowSectorSize;
    return true;
}

bool FileEntry::FillCarved(CDiskWindow* dataWindow, std::uint64_t startLba, std::uint64_t fileSize,
                           std::u16string fileName) {
    if (!AttachToWindow(dataWindow))
        return false;
    name = std::move(fileName);
    size = fileSize;
    const std::uint64_t sectors = fileSize / sectorSize + (fileSize % sectorSize ? 1 : 0);
    extents.Append(startLba, sectors);
    deleted = true;
    doubtful = false;
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    accessTime = modifyTime = createTime = now;
    condition = RateCondition(*this);
    return true;
}

bool FileEntry::ReadSectorsOfFile(std::uint64_t first, std::uint64_t count, std::uint8_t* out) {
    std::uint64_t done = 0;
    while (done < count) {
        const std::uint64_t n = first + done;
        const std::uint64_t left = extents.SectorsLeftInRun(n);
        if (left == 0)
            return false; // beyond the last run
        const std::uint64_t piece = std::min(left, count - done);
        std::uint8_t* target = out + done * sectorSize;
        const std::uint64_t lba = extents.LbaOf(n);
        if (lba == kSparseExtentLba) {
            std::memset(target, 0, piece * sectorSize);
        } else {
            for (std::uint64_t k = 0; k < piece;) {
                const auto sectors =
                    static_cast<std::uint32_t>(std::min(kSectorsPerCall, piece - k));
                if (!ReadSectorsPiecewise(*window, lba + k, sectors, target + k * sectorSize,
                                          static_cast<std::uint64_t>(sectors) * sectorSize))
                    return false;
                k += sectors;
            }
        }
        done += piece;
    }
    return true;
}

bool FileEntry::ReadNext(void* destination, std::size_t length) {
    if (length == 0 || !destination || readPosition > size || length > size - readPosition)
        return false;
    auto* out = static_cast<std::uint8_t*>(destination);
    if (residentData) {
        if (readPosition > residentData->size() || length > residentData->size() - readPosition)
            return false;
        std::memcpy(out, residentData->data() + readPosition, length);
    } else if (dataSource) {
        if (!dataSource->Read(readPosition, out, length))
            return false;
    } else {
        if (!window || sectorSize == 0)
            return false;
        const std::uint64_t first = readPosition / sectorSize;
        const std::uint64_t skip = readPosition % sectorSize;
        const std::uint64_t count = (length + skip + sectorSize - 1) / sectorSize;
        if (skip == 0 && length % sectorSize == 0) {
            if (!ReadSectorsOfFile(first, count, out))
                return false;
        } else {
            std::vector<std::uint8_t> sectors(count * sectorSize);
            if (!ReadSectorsOfFile(first, count, sectors.data()))
                return false;
            std::memcpy(out, sectors.data() + skip, length);
        }
    }
    readPosition += length;
    return true;
}

} // namespace vantrel
