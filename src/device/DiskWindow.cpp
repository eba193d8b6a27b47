#include "device/DiskWindow.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace vantrel {

bool CDiskWindow::Open(CDiskDevice* device, std::uint64_t start, std::uint64_t length) {
    if (!device)
        return false;
    device_ = device;
    start_ = start;
    length_ = length;
    wholeDevice_ = start == 0 && length == 0;
    measured_ = false;
    return true;
}

bool CDiskWindow::OpenWithin(const CDiskWindow* parent, std::uint64_t offset,
                             std::uint64_t length) {
    if (!parent)
        return false;
    // Unsigned addition wraps like the 64-bit add-with-carry it stands for.
    return Open(parent->device_, parent->start_ + offset, length);
}

bool CDiskWindow::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    if (!device_)
        return false;
    if (!measured_) {
        if (!device_->GetCapacity(&deviceLastLba_, &deviceSectorSize_))
            return false;
        measured_ = true;
    }
    const std::uint64_t deviceLast = deviceLastLba_;
    const std::uint32_t deviceSectorSize = deviceSectorSize_;
    if (start_ > deviceLast)
        return false;
    if (wholeDevice_)
        length_ = deviceLast + 1;
    // start + length > deviceLast + 1, written so that it cannot overflow.
    if (length_ == 0 || length_ > deviceLast - start_ + 1)
        return false;
    if (lastLba)
        *lastLba = length_ - 1;
    if (sectorSize)
        *sectorSize = deviceSectorSize;
    return true;
}

bool CDiskWindow::ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                              std::uint32_t bufferSize) {
    if (!device_ || lba > length_ || count > length_ - lba)
        return false;
    const std::lock_guard lock(device_->ReadMutex());
    return device_->ReadSectors(lba + start_, count, buffer, bufferSize);
}

void CDiskWindow::WillRead(std::uint64_t lba, std::uint32_t count) {
    if (device_ && lba <= length_ && count <= length_ - lba)
        device_->WillRead(lba + start_, count);
}

void BadSectorList::Add(std::uint64_t lba) {
    if (!Contains(lba))
        lbas_.push_back(lba);
}

bool BadSectorList::Contains(std::uint64_t lba) const {
    return std::find(lbas_.begin(), lbas_.end(), lba) != lbas_.end();
}

bool ReadSectorsChecked(CDiskWindow& window, std::uint64_t lba, std::uint32_t count, void* buffer,
                        std::uint32_t bufferSize, BadSectorList& badSectors) {
    if (!buffer)
        return false;
    if (window.ReadSectors(lba, count, buffer, bufferSize))
        return true;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::memset(bytes, 0, bufferSize);
    const std::uint32_t sectorSize = window.SectorSize();
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t offset = static_cast<std::uint64_t>(i) * sectorSize;
        if (offset + sectorSize > bufferSize) {
            badSectors.Add(lba + i);
            continue;
        }
        if (!window.ReadSectors(lba + i, 1, bytes + offset, sectorSize))
            badSectors.Add(lba + i);
    }
    return false;
}

bool ReadSectorsPiecewise(CDiskWindow& window, std::uint64_t lba, std::uint32_t count, void* buffer,
                          std::uint64_t byteCount) {
    const std::uint32_t sectorSize = window.SectorSize();
    if (!buffer && count != 0)
        return false;
    if (byteCount != static_cast<std::uint64_t>(count) * sectorSize)
        return false;
    const std::uint32_t perPiece = std::max<std::uint32_t>(1, kPieceBytes / sectorSize);
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::uint32_t done = 0;
    while (done < count) {
        const std::uint32_t n = std::min(perPiece, count - done);
        if (!window.ReadSectors(lba + done, n,
                                bytes + static_cast<std::uint64_t>(done) * sectorSize,
                                n * sectorSize))
            return false;
        done += n;
    }
    return true;
}

} // namespace vantrel
